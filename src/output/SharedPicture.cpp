// Quorel — SPDX-License-Identifier: MIT
#include "output/SharedPicture.h"

#include <utility>

#include "image/Resample.h"
#include "image/RowScalerPair.h"

namespace quorel {
namespace {

bool SameNewPicture(const PictureSource& a, const PictureSource& b) {
  if (!IsNewPicture(a) || !IsNewPicture(b)) return false;
  const auto* file_a = std::get_if<PictureFile>(&a);
  const auto* file_b = std::get_if<PictureFile>(&b);
  if (file_a && file_b) return file_a->path == file_b->path;
  const auto* bytes_a = std::get_if<PictureBytes>(&a);
  const auto* bytes_b = std::get_if<PictureBytes>(&b);
  return bytes_a && bytes_b && bytes_a->kind == bytes_b->kind && bytes_a->bytes.data() == bytes_b->bytes.data() &&
         bytes_a->bytes.size() == bytes_b->bytes.size();
}

}  // namespace

bool SharesNewPicture(const MarkRequest& request) {
  const PanelRequest& signature = request.Panel(PanelIndex::kSignature);
  const PanelRequest& seal = request.Panel(PanelIndex::kSeal);
  return signature.enabled && seal.enabled && SameNewPicture(signature.picture, seal.picture);
}

Result<SharedPicture> SharedPicture::Read(const MarkRequest& request) {
  SharedPicture shared;
  const auto chooser = [&](PanelIndex index) {
    return [&, index](PictureSize size) {
      shared.source_ = size;
      auto chosen = ScaledSize(request.Panel(index), request.style.density, size);
      shared.scaled_size_[static_cast<size_t>(index)] = chosen;
      return chosen;
    };
  };
  const PictureSource& source = request.Panel(PanelIndex::kSignature).picture;
  RowScalerPair pair(chooser(PanelIndex::kSignature), chooser(PanelIndex::kSeal));
  const Result<DecodedRows> read = ReadNewPictureRows(source, pair);
  if (!pair.Declined()) {
    shared.complete_ = QUOREL_TRY(read).complete;
    auto [first, second] = QUOREL_TRY(pair.Finish());
    shared.scaled_ = {std::move(first), std::move(second)};
    return shared;
  }
  for (size_t i = 0; i < 2; ++i) {
    if (!pair.Took(i)) shared.scaled_size_[i].reset();
  }
  Decoded whole = QUOREL_TRY(ReadWholePicture(source));
  shared.complete_ = whole.complete;
  shared.whole_ = std::move(whole.picture);
  return shared;
}

Result<MadePicture> SharedPicture::Made(PanelIndex index, const PanelRequest& panel, OutputDensity density,
                                        InkWanted wanted) {
  const auto i = static_cast<size_t>(index);
  if (!scaled_[i] && scaled_size_[i] && whole_) {
    // The scaler would have made Resample's bytes of the whole picture.
    scaled_[i] = QUOREL_TRY(Resample(*whole_, scaled_size_[i]->width, scaled_size_[i]->height));
  }
  if (scaled_[i]) {
    Decoded scaled{std::move(*scaled_[i]), complete_};
    scaled_[i].reset();
    return MadeFromScaled(panel, density, wanted, std::move(scaled), source_);
  }
  if (!whole_) return Status::kBadInput;  // taken before
  return MadeFromWhole(panel, wanted, MadePicture::Borrowed(*whole_, complete_));
}

}  // namespace quorel
