// Quorel — SPDX-License-Identifier: MIT
// The window's outputs for places that do not show data: pictures: the
// pictures as files beside snippet.html, an e-mail message with the pictures
// attached, and both pictures as one PNG on the clipboard.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "app/MainWindow.h"
#include "app/WindowMessages.h"
#include "app/platform/Clipboard.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/MessageBox.h"
#include "common/FileIo.h"
#include "output/ExportFiles.h"
#include "output/MarkPicture.h"
#include "output/MimeMessage.h"
#include "output/Snippet.h"

namespace quorel {
namespace {

// Keys of section "Quorel": where the last export and message were written,
// so the next dialog starts there.
constexpr std::string_view kExportFolderKey = "ExportFolder";
constexpr std::string_view kMailFileKey = "MailFile";

std::filesystem::path ToPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void Remember(const IniStore& store, std::string_view key, const QString& path) {
  const QByteArray utf8 = path.toUtf8();
  (void)store.WriteString(kQuorelSection, key, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

void MainWindow::ExportMarkFiles() {
  StoreOptionBits();
  // Checked before anything is made: the settings dialog refuses such a
  // URL, so only a hand-edited file gets here.
  const std::string stored_base = store_.ReadString(kQuorelSection, kBaseUrlKey);
  const std::optional<std::string> base = stored_base.empty() ? std::string() : WebBaseUrl(stored_base);
  if (!base) {
    MessageBox::ShowText(this, BaseUrlRefusedText(FromUtf8(stored_base)));
    return;
  }
  const std::optional<Mark> mark = MakeOutputMark(QStringLiteral("画像を作っています…"));
  if (!mark) return;
  const Result<Text> hosted = HostedSnippet(*mark, *base);
  if (!hosted) {
    ShowOutputFailure(hosted.status());
    return;
  }
  QString folder = FromUtf8(store_.ReadString(kQuorelSection, kExportFolderKey));
  if (!ChooseExportFolder(folder, this)) return;
  QStringList existing;
  for (const PanelIndex index : kPanelIndexes) {
    if (const auto& image = mark->images[static_cast<size_t>(index)]) {
      const QString name = FromUtf8(PictureFileName(index, image->format));
      if (QFileInfo::exists(QDir(folder).filePath(name))) existing << name;
    }
  }
  if (QFileInfo::exists(QDir(folder).filePath(FromUtf8(kExportedSnippetName)))) {
    existing << FromUtf8(kExportedSnippetName);
  }
  if (!existing.isEmpty() && !MessageBox::Ask(this, ReplaceFilesQuestion(folder, existing))) return;
  if (!ExportMark(*mark, ToPath(folder), *base)) {
    MessageBox::ShowText(this, FileNotWrittenText(folder, errno));
    return;
  }
  Remember(store_, kExportFolderKey, folder);
  ShowOutputSize(OutputRoad::kHosted, hosted->size());
}

void MainWindow::SaveMailMessage() {
  StoreOptionBits();
  auto message = std::make_shared<Result<Text>>(Status::kOutOfMemory);
  const std::optional<Mark> mark =
      MakeOutputMark(QStringLiteral("メールを作っています…"), [message, stamp = NewMessageStamp()](const Mark& made) {
        *message = MimeMessage(made, kDefaultSubject, stamp);
      });
  if (!mark) return;
  if (!*message) {
    ShowOutputFailure(message->status());
    return;
  }
  QString path = FromUtf8(store_.ReadString(kQuorelSection, kMailFileKey));
  if (!ChooseMailFile(path, this)) return;
  // Asked here, after ".eml" was forced: the name typed may be another file's.
  if (QFileInfo::exists(path) && !MessageBox::Ask(this, ReplaceFileQuestion(path))) return;
  if (!WriteFileAtomically(ToPath(path), AsBytes(**message))) {
    MessageBox::ShowText(this, FileNotWrittenText(path, errno));
    return;
  }
  Remember(store_, kMailFileKey, path);
  ShowOutputSize(OutputRoad::kMessage, (*message)->size());
}

void MainWindow::CopyMarkPicture() {
  StoreOptionBits();
  auto png = std::make_shared<Result<ByteBuffer>>(Status::kOutOfMemory);
  const std::optional<Mark> mark = MakeOutputMark(
      QStringLiteral("画像を作っています…"),
      [png, density = state_.style.density](const Mark& made) { *png = MarkPicture(made, density); });
  if (!mark) return;
  const Result<Text> snippet = InlineSnippet(*mark);
  if (!*png && png->status() != Status::kOutOfMemory) {
    MessageBox::ShowText(this, png->status() == Status::kBadInput
                                   ? QStringLiteral("画像にするものがありません．\nQuorelか印影のチェックを入れてください．")
                                   : QStringLiteral("1枚の画像にするには大きすぎます．\n"
                                                    "画像を縮小するか、1倍にしてから、もう一度お試しください．"));
    return;
  }
  if (!*png || !snippet) {
    ShowOutputFailure(Status::kOutOfMemory);
    return;
  }
  const size_t bytes = (*png)->size() + snippet->size();
  if (bytes > kLargeClipboardBytes && !MessageBox::Ask(this, LargePictureQuestion(bytes))) return;
  if (!Clipboard::PutPicture(**png, *snippet)) {
    MessageBox::ShowMessage(this, MessageCode::kClipboardBusy);
    return;
  }
  ShowOutputSize(OutputRoad::kPicture, (*png)->size());
}

}  // namespace quorel
