// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/Cleanup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "codec/ImportPicture.h"
#include "image/ConvertTo24.h"
#include "image/TwoLevel.h"
#include "image/cleanup/BeyondTheSheet.h"
#include "image/cleanup/BorderSlivers.h"
#include "image/cleanup/BoxRoundTheName.h"
#include "image/cleanup/CoveredStroke.h"
#include "image/cleanup/DottedLines.h"
#include "image/cleanup/FaintSteps.h"
#include "image/cleanup/FaintWords.h"
#include "image/cleanup/GrainSeeds.h"
#include "image/cleanup/GrainyTrack.h"
#include "image/cleanup/GreyPrint.h"
#include "image/cleanup/GridExtreme.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/InkBody.h"
#include "image/cleanup/ObjectRims.h"
#include "image/cleanup/PaperLight.h"
#include "image/cleanup/PaperLines.h"
#include "image/cleanup/PhotoCleanup.h"
#include "image/cleanup/PieceBoxes.h"
#include "image/cleanup/PrintLines.h"
#include "image/cleanup/PrintOnly.h"
#include "image/cleanup/RunEndRise.h"
#include "image/cleanup/SegmentTrack.h"
#include "image/cleanup/ShadowRemnants.h"
#include "image/cleanup/ShadowSteps.h"
#include "image/cleanup/SignHereMark.h"
#include "image/cleanup/StainRings.h"
#include "image/cleanup/StrokeCut.h"
#include "image/cleanup/TrimMargins.h"
#include "image/cleanup/WidePieces.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kBlack = 0, kWhite = 0xFFFFFF;

// Whether the photo clean-up made (x, y) of the photo ink: the two-level
// reduction of its picture, placed where it lies in the photo.
bool InkAt(const CleanedPhoto& cleaned, const PackedDib& bits, int x, int y) {
  const PixelRect& r = cleaned.rect;
  if (!cleaned.ink_found || x < r.left || x >= r.right || y < r.top || y >= r.bottom) return false;
  const ConstDibRows rows = ConstDibRows::Of(bits).value();
  return (rows.TopDownRow(y - r.top)[(x - r.left) / 8] & (0x80 >> ((x - r.left) % 8))) == 0;
}

// Ink F-measure of the photo clean-up against a mask (white = ink).
double InkFMeasure(const CleanedPhoto& cleaned, const PackedDib& mask) {
  const PackedDib bits = ReduceToTwoLevels(cleaned.picture, kBlack, kWhite).value();
  int both = 0, found = 0, drawn = 0;
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) {
      const bool ink = InkAt(cleaned, bits, x, y);
      const bool real = test::PixelAt(mask, x, y).red >= 128;
      both += ink && real;
      found += ink;
      drawn += real;
    }
  }
  return 2.0 * both / (found + drawn);
}

PackedDib Read24(const std::filesystem::path& path) {
  return ConvertTo24(ReadPictureFile(path).value().picture).value();
}

// Small phone photos from bench/make_photos.py: shadowed corner, gradient,
// grain, colour cast, blur, JPEG. The seal is red on cream paper. That
// generator blurs stored values, so the cut midway to light's halfway line
// keeps its strokes a little fat (precision 0.81 and 0.89, recall 1). The
// pencil is bench/photos/gen_camera.py's faint grainy pencil on cream (seed
// 17556), its ink barely out of the paper's grain. The faint pencil is
// bench/photos/gen_phone.py's pencil on cream (make_set.py's seed 7): no pixel
// stands out of the grain, and the faint look finds its flakes only. The
// ballpoint beside a step is gen_curl.py's thin ballpoint (render seed 32893,
// make_set.py's fifth): a faint pen beside a shadow's hard edge, along which
// the track that fills a faint pen's flakes ran too. The light pen on a form
// is gen_form.py's faint handwriting (render seed 48232): a grey name over a
// black signing line, beside black print and a box (strong ink set by the
// print's contrast found it at F 0.55, the thin strokes near the print judged
// against the print's darkness at 0.75), cleaned as the signature panel does.
// The cross on a form is gen_form.py's thin ballpoint (make_set.py's tenth):
// a light pen beside a bold printed × on the signing line, which set the
// pen's contrast as black while it counted as the pen's (F 0.57).
TEST(CleanupTest, PhotoFindsTheInkOfShadowedPhotos) {
  for (const auto& [name, least_f, wanted] :
       {std::tuple{"signature", 0.88, InkWanted::kAny}, {"seal", 0.93, InkWanted::kAny},
        {"pencil", 0.75, InkWanted::kAny}, {"faint-pencil", 0.55, InkWanted::kAny},
        {"step-beside-ballpoint", 0.75, InkWanted::kAny}, {"light-pen-on-form", 0.77, InkWanted::kWriting},
        {"cross-on-form", 0.74, InkWanted::kWriting}}) {
    const PackedDib photo = Read24(test::DataPath(std::string("photo/") + name + ".jpg"));
    const PackedDib mask = Read24(test::DataPath(std::string("photo/") + name + "-mask.png"));
    EXPECT_GE(InkFMeasure(CleanPhoto(photo, wanted).value(), mask), least_f) << name;
  }
}

// A pen a pixel wide on a form's signing line, which runs on 40 px beyond
// the name at either end (gen_form.py's thin ballpoint, render seed 48734):
// once the line was cleared, the track that follows a faint pen's flakes
// ran along it again.
TEST(CleanupTest, SigningLineBeyondAThinPenStaysPaper) {
  const PackedDib photo = Read24(test::DataPath("photo/thin-pen-on-signing-line.jpg"));
  const CleanedPhoto cleaned = CleanPhoto(photo, InkWanted::kWriting).value();
  const PackedDib bits = ReduceToTwoLevels(cleaned.picture, kBlack, kWhite).value();
  int kept = 0;
  for (int y = 300; y < 360; ++y) {
    for (int x = 392; x < 420; ++x) kept += InkAt(cleaned, bits, x, y);
    for (int x = 102; x < 116; ++x) kept += InkAt(cleaned, bits, x, y);
  }
  EXPECT_EQ(kept, 0);
}

// Without ink the clean-up says so (one white pixel), instead of a uniform
// picture that the two-level rule would make all ink: also for a photo of a
// blank sheet with the desk beyond its edge, whose grain is as faint as a
// light pencil (bench/photos/gen_desk.py's lone speck, seed 4), or a striped
// wooden desk over a quarter of the picture (gen_form.py's, seed 23), or a
// grey desk whose dark line along the sheet's edge stands out in one short
// piece (gen_desk.py's blank, seed 13), or a blank form whose box, signing
// line and × no name stands beside (gen_form.py's blank, make_set.py's first
// seed; as the signature's panel cleans it); for one whose only ink is a
// straight line from the border (a sheet's edge), for ruled paper whose
// rules run wider in places (what their clearing leaves), and for a hair.
TEST(CleanupTest, PhotoWithoutInkSaysSo) {
  const Bgr cream{200, 232, 245};
  const PackedDib blank = test::MakeUniform24(300, 200, cream);
  const PackedDib speck = test::MakePicture24(300, 200, [&](int x, int y) {
    return x >= 150 && x < 152 && y >= 90 && y < 92 ? test::Grey(60) : cream;
  });
  const PackedDib desk = Read24(test::DataPath("photo/blank-beside-desk.jpg"));
  const PackedDib striped = Read24(test::DataPath("photo/blank-beside-striped-desk.jpg"));
  const PackedDib grey = Read24(test::DataPath("photo/blank-beside-grey-desk.jpg"));
  const PackedDib form = Read24(test::DataPath("photo/blank-form.jpg"));
  const PackedDib edge = test::MakePicture24(300, 200, [&](int x, int y) {
    return y < 120 && std::abs(x - 100 - y / 2) < 2 ? test::Grey(90) : cream;
  });
  const PackedDib ruled = test::MakePicture24(400, 240, [&](int x, int y) {
    const int line = (y + x / 40) % 30;
    const bool wide = x % 100 >= 30 && x % 100 < 70 && (y + x / 40) / 30 % 2 == 1;
    return line < 2 || (wide && line >= 28) ? Bgr{200, 150, 120} : cream;
  });
  const PackedDib hair = test::MakePicture24(600, 400, [&](int x, int y) {  // 70 px of a wavy hair, 2 px thick
    return x >= 250 && x < 320 && std::abs(y - 200 - 8 * std::sin(x / 6.0)) < 1.2 ? test::Grey(70) : cream;
  });
  for (const PackedDib* photo : {&blank, &speck, &desk, &striped, &grey, &form, &edge, &ruled, &hair}) {
    const CleanedPhoto cleaned = CleanPhoto(*photo, photo == &form ? InkWanted::kWriting : InkWanted::kAny).value();
    EXPECT_FALSE(cleaned.ink_found);
    EXPECT_EQ(std::pair(cleaned.picture.Width(), cleaned.picture.Height()), std::pair(1, 1));
  }
}

// A form's dark box, cut by the picture's left border, round a name too
// faint for the first look (its strokes 4 % below the paper): the box is a
// blank form's print to that look, and the fainter look finds the name
// beside it, not the box.
TEST(CleanupTest, FaintNameInAFormsBoxIsFound) {
  for (const bool named : {true, false}) {
    const auto on_name = [&](int x, int y) {
      return named && x >= 60 && x < 300 && std::abs(y - 150 - (x % 40 < 20 ? x % 40 : 40 - x % 40)) <= 1;
    };
    const auto on_box = [](int x, int y) {  // its right side slanted, as in perspective
      return (x < 340 + (y - 90) / 30 && (std::abs(y - 90) <= 2 || std::abs(y - 210 + x / 100) <= 2)) ||
             (std::abs(x - 340 - (y - 90) / 30) <= 2 && y >= 88 && y <= 212 - 340 / 100);
    };
    uint32_t state = 12345;
    const auto noise = [&] {  // about ±3 levels
      state = state * 1664525u + 1013904223u;
      return static_cast<int>((state >> 24) % 7) - 3;
    };
    const PackedDib photo = test::MakePicture24(600, 300, [&](int x, int y) {
      const double paper = 228 + noise();
      const double level = on_box(x, y) ? 40 : on_name(x, y) ? 0.96 * paper : paper;
      const auto v = static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
      return Bgr{static_cast<uint8_t>(v - 30), static_cast<uint8_t>(v - 6), v};
    });
    const PackedDib mask =
        test::MakePicture24(600, 300, [&](int x, int y) { return on_name(x, y) ? test::Grey(255) : test::Grey(0); });
    const CleanedPhoto cleaned = CleanPhoto(photo, InkWanted::kWriting).value();
    EXPECT_EQ(cleaned.ink_found, named);
    if (named) {
      EXPECT_GE(InkFMeasure(cleaned, mask), 0.8);
    }
  }
}

// A pencil line 4 % below mottled cream paper (blots 50 px wide, a sensor's
// noise): no pixel stands out of the grain, the line does at its own scale.
// The same paper with a dark speck and without the line stays empty, as
// does plain paper with a fold's shade (its right part 3 % darker, the edge
// sharp: the smooth paper estimate lags behind it in a faint band) and with
// a fold's crease (a groove 3 px wide and 4 % darker, straight across at
// 30°, with paper on both sides as a stroke has: found as a row of pieces).
TEST(CleanupTest, FaintLineOnMottledPaperIsFound) {
  enum class Sheet { kLine, kSpeck, kShade, kCrease };
  for (const Sheet sheet : {Sheet::kLine, Sheet::kSpeck, Sheet::kShade, Sheet::kCrease}) {
    uint32_t state = 12345;
    const auto noise = [&] {  // about ±3 levels
      state = state * 1664525u + 1013904223u;
      return static_cast<int>((state >> 24) % 7) - 3;
    };
    const auto on_line = [](int x, int y) { return x >= 40 && x < 360 && std::abs(y - 100 - (x % 60 < 30 ? x % 60 : 60 - x % 60)) <= 1; };
    const auto on_crease = [](int x, int y) { return std::abs((y - 20) * 0.866 - (x - 40) * 0.5) <= 1.5; };
    const PackedDib photo = test::MakePicture24(400, 220, [&](int x, int y) {
      const double mottle = sheet == Sheet::kShade ? (x >= 240 ? -8 : 0)
                            : sheet == Sheet::kCrease ? 0
                                                      : 5 * std::sin(x / 8.0) * std::cos(y / 9.0);
      const double paper = 228 + mottle + noise();
      double level = paper;
      if ((sheet == Sheet::kLine && on_line(x, y)) || (sheet == Sheet::kCrease && on_crease(x, y))) level = 0.96 * paper;
      if ((sheet == Sheet::kLine || sheet == Sheet::kSpeck) && x == 300 && y == 40) level = 90;
      const auto v = static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
      return Bgr{static_cast<uint8_t>(v - 30), static_cast<uint8_t>(v - 6), v};
    });
    const PackedDib mask = test::MakePicture24(400, 220, [&](int x, int y) { return on_line(x, y) ? test::Grey(255) : test::Grey(0); });
    const CleanedPhoto cleaned = CleanPhoto(photo, InkWanted::kPen).value();
    EXPECT_EQ(cleaned.ink_found, sheet == Sheet::kLine) << static_cast<int>(sheet);
    if (sheet == Sheet::kLine) {
      EXPECT_GE(InkFMeasure(cleaned, mask), 0.8);
    }
  }
}

// Ruled paper (light blue rules every 16 px, slightly tilted, and a red
// margin line) under a dark pen stroke that crosses them, and a red seal's
// ring stamped over black print: which ink each panel keeps. Each pen
// stroke has a loop beside it: a straight line alone is no writing.
TEST(CleanupTest, PhotoTakesLinesForPaperAndInkByHue) {
  const auto loop = [](int x, int y) { return std::abs(std::hypot(x - 320, y - 60) - 12) <= 1.5; };
  const PackedDib ruled = test::MakePicture24(400, 240, [&](int x, int y) {
    if (std::abs(x - 200 - (y - 120) / 4) <= 2 || loop(x, y)) return Bgr{90, 30, 20};  // the pen: dark blue
    if (x >= 30 && x <= 31) return Bgr{120, 110, 230};                    // the margin line
    if ((y + x / 50) % 16 == 0) return Bgr{230, 190, 150};                 // the rules
    return Bgr{245, 248, 250};
  });
  const CleanedPhoto pen = CleanPhoto(ruled, InkWanted::kPen).value();
  const PackedDib pen_bits = ReduceToTwoLevels(pen.picture, kBlack, kWhite).value();
  for (int y = 10; y < 230; ++y) EXPECT_TRUE(InkAt(pen, pen_bits, 200 + (y - 120) / 4, y)) << "stroke, y " << y;
  for (int y = 0; y < 240; ++y) {
    EXPECT_FALSE(InkAt(pen, pen_bits, 100, y)) << "rule, y " << y;
    EXPECT_FALSE(InkAt(pen, pen_bits, 30, y)) << "margin, y " << y;
  }

  // Squared paper as dark as the pen, which runs along its lines at a slant.
  const PackedDib squared = test::MakePicture24(400, 240, [&](int x, int y) {
    const bool pen = std::abs(y - 40 - x / 3) <= 1 || loop(x, y);
    return pen || x % 20 == 5 || y % 20 == 5 ? Bgr{90, 30, 20} : Bgr{245, 248, 250};
  });
  const CleanedPhoto slant = CleanPhoto(squared, InkWanted::kPen).value();
  const PackedDib slant_bits = ReduceToTwoLevels(slant.picture, kBlack, kWhite).value();
  for (int x = 10; x < 390; ++x) EXPECT_TRUE(InkAt(slant, slant_bits, x, 40 + x / 3)) << "stroke, x " << x;
  for (int y = 0; y < 150; ++y) EXPECT_FALSE(InkAt(slant, slant_bits, 365, y) || InkAt(slant, slant_bits, 2 * y, 225));
  const auto on_ring = [](int x, int y) { return std::abs(std::hypot(x - 150, y - 100) - 53) <= 3; };
  // Rows of letters: 2 × 10 px stems, shifted from row to row.
  const auto print_at = [](int x, int y) { return y % 16 < 10 && (x + 5 * (y / 16)) % 12 / 2 == 1; };
  // A red seal, a blue one and a dull violet one (no pixel coloured as a
  // vermilion's): the seal panel takes the hue it finds. Under the print,
  // the seal is black print, or pale seal ink multiplied by the print
  // (darker than the seal, still of its hue).
  for (const auto& [ring, under] : {std::pair{Bgr{50, 40, 210}, test::Grey(20)}, {Bgr{200, 70, 60}, test::Grey(20)},
                                    {Bgr{165, 140, 158}, test::Grey(20)}, {Bgr{160, 160, 250}, Bgr{0, 0, 110}},
                                    {Bgr{240, 150, 140}, Bgr{100, 0, 0}}}) {
    const PackedDib sealed = test::MakePicture24(300, 200, [&](int x, int y) {
      if (on_ring(x, y)) return print_at(x, y) ? under : ring;
      return print_at(x, y) ? test::Grey(25) : Bgr{240, 245, 248};
    });
    const CleanedPhoto seal = CleanPhoto(sealed, InkWanted::kSeal).value();
    const PackedDib seal_bits = ReduceToTwoLevels(seal.picture, kBlack, kWhite).value();
    int missed = 0;  // of the ring's own pixels, beside the print or not
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 300; ++x) missed += on_ring(x, y) && !print_at(x, y) && !InkAt(seal, seal_bits, x, y);
    }
    EXPECT_EQ(missed, 0) << static_cast<int>(ring.red);
    EXPECT_TRUE(InkAt(seal, seal_bits, 144, 48));  // the ring under a letter
    EXPECT_FALSE(InkAt(seal, seal_bits, 14, 5) || InkAt(seal, seal_bits, 152, 98));    // print
    if (ring.blue > ring.red) continue;  // a pen may be blue: only a red seal is not the signature's
    // The pen's panel: rows of print with no name signed go, and the ring,
    // however faint a look the panel then takes, is the seal's.
    const CleanedPhoto print = CleanPhoto(sealed, InkWanted::kPen).value();
    const PackedDib print_bits = ReduceToTwoLevels(print.picture, kBlack, kWhite).value();
    EXPECT_FALSE(InkAt(print, print_bits, 14, 5) || InkAt(print, print_bits, 152, 98));
    int ring_kept = 0;
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 300; ++x) ring_kept += on_ring(x, y) && !print_at(x, y) && InkAt(print, print_bits, x, y);
    }
    EXPECT_EQ(ring_kept, 0) << static_cast<int>(ring.red);
  }
  // A square seal cropped close: its frame's sides, straight and across
  // nearly all the picture, are the seal's, not paper lines.
  const PackedDib square = test::MakePicture24(300, 300, [&](int x, int y) {
    const bool frame = std::max(std::abs(x - 150), std::abs(y - 150)) / 7 == 18;
    const bool bars = x > 60 && x < 240 && (y % 60 < 8 || (x % 60 < 8 && y > 60 && y < 240));
    return frame || bars ? Bgr{50, 40, 210} : Bgr{240, 245, 248};
  });
  const CleanedPhoto seal = CleanPhoto(square, InkWanted::kSeal).value();
  const PackedDib seal_bits = ReduceToTwoLevels(seal.picture, kBlack, kWhite).value();
  for (int i = 40; i < 260; i += 20) {
    EXPECT_TRUE(InkAt(seal, seal_bits, i, 21) && InkAt(seal, seal_bits, 21, i) && InkAt(seal, seal_bits, 279, i))
        << "frame at " << i;
  }
  // A seal of wide strokes (14 px) on ruled paper (blue rules 24 px apart):
  // every stroke lies within a stroke of a rule, yet it is no rule's
  // leftover; and where the rules are bolder and hold more coloured ink than
  // the seal, the seal is still the vermilion ink.
  for (const Bgr rule : {Bgr{235, 205, 180}, Bgr{230, 190, 160}}) {
    const PackedDib on_rules = test::MakePicture24(300, 300, [&](int x, int y) {
      if (std::abs(std::hypot(x - 150, y - 150) - 100) <= 7 || (std::abs(x - 150) <= 7 && std::abs(y - 150) < 60)) {
        return Bgr{50, 40, 210};
      }
      return y % 24 == 12 || y % 24 == 13 ? rule : Bgr{240, 245, 248};
    });
    const CleanedPhoto ringed = CleanPhoto(on_rules, InkWanted::kSeal).value();
    const PackedDib ringed_bits = ReduceToTwoLevels(ringed.picture, kBlack, kWhite).value();
    EXPECT_TRUE(InkAt(ringed, ringed_bits, 150, 50) && InkAt(ringed, ringed_bits, 250, 150) &&
                InkAt(ringed, ringed_bits, 150, 130))
        << static_cast<int>(rule.red);
    EXPECT_FALSE(InkAt(ringed, ringed_bits, 150, 13));  // a rule
  }
}

// A red seal's bar stamped over a black pen's stroke (where both lie: dark
// red, the paste hiding part of the pen; lighter on the stroke's blurred
// edges): the pen panel follows the stroke across the bar, edges too, and
// leaves the bar; also across a solid field wider than the paper's closing,
// whose edge is no step in the paper's light. (Wavy: a straight stroke is a
// rule.)
int StrokeY(int x) { return 80 + static_cast<int>(std::lround(8 * std::sin(x / 12.0))); }
TEST(CleanupTest, PenOverASealStaysThePens) {
  for (const int half : {8, 40}) {
    const PackedDib photo = test::MakePicture24(300, 160, [&](int x, int y) {
      const bool bar = std::abs(x - 150) < half && y >= 30 && y < 130;
      const int off = x >= 20 && x < 280 ? std::abs(y - StrokeY(x)) : 3;
      if (bar && off <= 2) return off == 2 ? Bgr{16, 18, 165} : Bgr{2, 1, 137};
      if (off <= 1) return test::Grey(40);
      return bar ? Bgr{31, 35, 203} : Bgr{235, 238, 240};
    });
    const CleanedPhoto pen = CleanPhoto(photo, InkWanted::kPen).value();
    const PackedDib bits = ReduceToTwoLevels(pen.picture, kBlack, kWhite).value();
    for (int x = 20; x < 280; ++x) {
      const bool inside = std::abs(x - 150) < half - 2;
      EXPECT_TRUE(InkAt(pen, bits, x, StrokeY(x)) && (!inside || InkAt(pen, bits, x, StrokeY(x) + 2)))
          << half << " " << x;
    }
    EXPECT_FALSE(InkAt(pen, bits, 150, 50) || InkAt(pen, bits, 145, 120)) << half;
  }
}

// An orange-brown seal's ring with darker, duller edges, crossed by a black
// pen: the seal's hue is the picture's, so its edges are not the pen's either;
// and a brown pen alone stays the pen's.
TEST(CleanupTest, PenLeavesAnOrangeSealsRims) {
  const auto off_ring = [](int x, int y) { return std::abs(std::hypot(x - 150, y - 100) - 50); };
  const PackedDib photo = test::MakePicture24(300, 200, [&](int x, int y) {
    if (std::abs(y - StrokeY(x)) <= 1 && x >= 20 && x < 280) return test::Grey(30);
    if (off_ring(x, y) <= 4) return off_ring(x, y) > 3 ? Bgr{60, 100, 160} : Bgr{60, 120, 200};
    return Bgr{235, 238, 240};
  });
  const CleanedPhoto pen = CleanPhoto(photo, InkWanted::kPen).value();
  const PackedDib bits = ReduceToTwoLevels(pen.picture, kBlack, kWhite).value();
  int kept = 0;  // of the ring away from the stroke
  for (int i = 0; i < 300 * 200; ++i) {
    const int x = i % 300, y = i / 300;
    kept += off_ring(x, y) <= 4 && std::abs(y - StrokeY(x)) > 4 && InkAt(pen, bits, x, y);
  }
  EXPECT_EQ(kept, 0);
  EXPECT_TRUE(InkAt(pen, bits, 60, StrokeY(60)) && InkAt(pen, bits, 150, StrokeY(150)));
  // A brown pen alone, of about the ring's hue but duller, is no seal.
  const PackedDib brown = test::MakePicture24(300, 200, [&](int x, int y) {
    return std::abs(y - StrokeY(x)) <= 1 && x >= 20 && x < 280 ? Bgr{30, 80, 150} : Bgr{235, 238, 240};
  });
  const CleanedPhoto alone = CleanPhoto(brown, InkWanted::kPen).value();
  const PackedDib alone_bits = ReduceToTwoLevels(alone.picture, kBlack, kWhite).value();
  for (int x = 20; x < 280; x += 20) EXPECT_TRUE(InkAt(alone, alone_bits, x, StrokeY(x))) << x;
}

// A red seal's ring on cream paper with an orange-brown desk beyond the
// sheet's right edge, of about the seal's hue: the seal panel keeps the ring
// and takes the desk's sliver along the border for paper.
TEST(CleanupTest, SealPanelLeavesTheDeskAlongTheBorder) {
  const auto on_ring = [](int x, int y) { return std::abs(std::hypot(x - 140, y - 100) - 50) <= 3; };
  const PackedDib photo = test::MakePicture24(300, 200, [&](int x, int y) {
    if (x >= 285) return Bgr{60, 110, 190};
    return on_ring(x, y) ? Bgr{50, 40, 210} : Bgr{200, 232, 245};
  });
  const CleanedPhoto seal = CleanPhoto(photo, InkWanted::kSeal).value();
  const PackedDib bits = ReduceToTwoLevels(seal.picture, kBlack, kWhite).value();
  int missed = 0, desk = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      missed += on_ring(x, y) && !InkAt(seal, bits, x, y);
      desk += x >= 285 && InkAt(seal, bits, x, y);
    }
  }
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(desk, 0);
}

// A small seal's ring on white paper beside a desk (the left 120 px): a
// crimson one beside a dark desk whose grain is of every hue, a purple one
// most, and a violet one beside a wooden desk whose grain is orange. The
// seal's hue is told on the sheet, and the seal panel keeps the whole ring.
TEST(CleanupTest, SealsHueIsToldOnTheSheet) {
  const auto on_ring = [](int x, int y) { return std::abs(std::hypot(x - 280, y - 120) - 30) <= 1.5; };
  for (const bool wooden : {false, true}) {
    const PackedDib photo = test::MakePicture24(400, 240, [&](int x, int y) {
      const auto grain = [&](int k) {
        return static_cast<uint8_t>((x * 7919 + y * 104729 + k * 31) * 2654435761u >> 27);
      };
      if (x < 120 && wooden) return Bgr{40, static_cast<uint8_t>(90 + (y + x / 8) % 20), 130};
      if (x < 120) return Bgr{static_cast<uint8_t>(20 + grain(0)), grain(1), static_cast<uint8_t>(20 + grain(2))};
      if (on_ring(x, y)) return wooden ? Bgr{160, 60, 110} : Bgr{60, 40, 170};
      return Bgr{238, 240, 242};
    });
    const CleanedPhoto seal = CleanPhoto(photo, InkWanted::kSeal).value();
    const PackedDib bits = ReduceToTwoLevels(seal.picture, kBlack, kWhite).value();
    int missed = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 120; x < 400; ++x) missed += on_ring(x, y) && !InkAt(seal, bits, x, y);
    }
    EXPECT_EQ(missed, 0) << wooden;
  }
}

// A pale red seal's bar whose lower rows lie under a band of grey print
// (seal times grey there, no seal ink below it to bridge from), with a band
// of dark pure red below the bar (print the seal's colour bled into).
TEST(CleanupTest, SealUnderPrintIsKeptByItsHue) {
  const PackedDib photo = test::MakePicture24(200, 100, [](int x, int y) {
    const bool bar = x >= 50 && x < 150 && y >= 40 && y < 52, band = x >= 30 && x < 170 && y >= 46 && y < 52;
    if (bar) return band ? Bgr{40, 40, 62} : Bgr{160, 160, 250};
    if (band) return test::Grey(40);
    return x >= 50 && x < 150 && y >= 52 && y < 56 ? Bgr{0, 0, 40} : Bgr{240, 245, 248};
  });
  const CleanedPhoto seal = CleanPhoto(photo, InkWanted::kSeal).value();
  const PackedDib bits = ReduceToTwoLevels(seal.picture, kBlack, kWhite).value();
  EXPECT_TRUE(InkAt(seal, bits, 100, 42) && InkAt(seal, bits, 100, 50) && InkAt(seal, bits, 52, 50));
  EXPECT_FALSE(InkAt(seal, bits, 40, 50) || InkAt(seal, bits, 100, 54));
}

// A solid dull red seal 100 px wide at the picture's left edge, white
// characters cut into it, and 8 px bars beside it; a hard grey shadow over
// its right part and beyond. The seal panel keeps the whole field, in the
// light and in the shadow (less saturated there, as pure), wider than the
// paper's closing as it is; the characters and the shadow stay paper.
TEST(CleanupTest, SolidSealIsNotPaper) {
  const auto cut = [](int x, int y) {
    return (y >= 80 && y < 86 && x >= 24 && x < 84) || (x >= 50 && x < 56 && y >= 70 && y < 130);
  };
  const auto field = [&](int x, int y) { return x >= 4 && x < 104 && y >= 50 && y < 150 && !cut(x, y); };
  const auto bar = [](int x, int y) { return x >= 150 && x < 290 && y >= 40 && y < 140 && y % 30 < 8; };
  const PackedDib photo = test::MakePicture24(300, 200, [&](int x, int y) {
    const Bgr ink = field(x, y) || bar(x, y) ? Bgr{110, 90, 200} : Bgr{240, 245, 248};
    const double light = x >= 70 && x < 200 ? 0.6 : 1.0;
    return Bgr{static_cast<uint8_t>(ink.blue * light), static_cast<uint8_t>(ink.green * light),
               static_cast<uint8_t>(ink.red * light)};
  });
  const CleanedPhoto seal = CleanPhoto(photo, InkWanted::kSeal).value();
  const PackedDib bits = ReduceToTwoLevels(seal.picture, kBlack, kWhite).value();
  int missed = 0, false_ink = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      const bool ink = InkAt(seal, bits, x, y);
      missed += (field(x, y) || bar(x, y)) && !ink;
      false_ink += !field(x, y) && !bar(x, y) && ink;
    }
  }
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(false_ink, 0);
}

// A papyrus fragment on a scanner's white ground, written on near its edge:
// the step from the ground to it is paper, not a band of ink along it.
TEST(CleanupTest, PhotoTakesAFragmentsEdgeForPaper) {
  const auto stroke = [](int x, int y) {
    return (y >= 30 && y < 170 && std::abs(x - 170 - 12 * std::sin(y / 12.0)) < 2.5) ||
           (x >= 125 && x < 260 && std::abs(y - 100 - 8 * std::sin(x / 10.0)) < 2);
  };
  const PackedDib scan = test::MakePicture24(300, 200, [&](int x, int y) {
    if (stroke(x, y)) return test::Grey(40);
    return x < 100 + y / 10 ? test::Grey(245) : Bgr{100, 135, 150};
  });
  const CleanedPhoto cleaned = CleanPhoto(scan).value();
  const PackedDib bits = ReduceToTwoLevels(cleaned.picture, kBlack, kWhite).value();
  int missed = 0, along_edge = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      missed += stroke(x, y) && !InkAt(cleaned, bits, x, y);
      along_edge += !stroke(x, y) && std::abs(x - 100 - y / 10) < 10 && InkAt(cleaned, bits, x, y);
    }
  }
  EXPECT_EQ(missed, 0);
  EXPECT_LT(along_edge, 200);  // less than a pixel a row (without the step's test: 3 to 4)
}

// A hard shadow (a pen's, held over the page) runs across the picture at
// 45°, a third darker than the paper, over 3 px lines of writing. 80 px wide
// over a dark line, the first look's paper fills it, and its runs, long and
// many, make the first look's width the shadow's. 32 px wide over two grey
// lines, it only widens that width by a pixel, and the wide test, at twice
// the width, let it pass as writing (F 0.18). Lighter than the strokes, it
// is left out of the width either way, and the paper refitted follows it.
TEST(CleanupTest, HardShadowAcrossTheWritingIsPaper) {
  struct Case {
    int half_width, lines, pen_grey;
    double least_f;
  };
  for (const Case c : {Case{40, 1, 40, 0.9}, Case{16, 2, 90, 0.85}}) {
    const auto pen = [&](int x, int y) {
      const double along = (y - 300 - 20 * std::sin(x / 9.0)) / 80 + c.lines / 2;  // lines 80 px apart
      const double line = std::round(along);
      return x >= 90 && x < 390 && line >= 0 && line < c.lines && std::abs(along - line) * 80 < 1.5;
    };
    const auto shadow = [&](int x, int y) { return std::abs(x - y + 40) < c.half_width; };
    const PackedDib photo = test::MakePicture24(600, 600, [&](int x, int y) {
      return test::Grey(static_cast<uint8_t>(pen(x, y) ? c.pen_grey : shadow(x, y) ? 150 : 225));
    });
    const PackedDib mask = test::MakePicture24(600, 600, [&](int x, int y) { return test::Grey(pen(x, y) ? 255 : 0); });
    for (const InkWanted wanted : {InkWanted::kPen, InkWanted::kWriting}) {  // a signature's, whatever its hue
      EXPECT_GE(InkFMeasure(CleanPhoto(photo, wanted).value(), mask), c.least_f) << 2 * c.half_width << " px";
    }
  }
}

// A marker's 18 px strokes, two of them run together into a bar 70 px wide
// (wider than the first paper estimate fills): the bar is ink to its rims,
// not paper with its edges left.
TEST(CleanupTest, BoldPensBlobKeepsItsRims) {
  const auto pen = [](int x, int y) {
    const bool bars = (x >= 60 && x < 78) || (x >= 140 && x < 158) || (x >= 220 && x < 290) || (x >= 380 && x < 398);
    return (y >= 80 && y < 240 && bars) || (y >= 150 && y < 168 && x >= 60 && x < 158);
  };
  const PackedDib photo = test::MakePicture24(480, 320, [&](int x, int y) { return test::Grey(pen(x, y) ? 30 : 225); });
  const PackedDib mask = test::MakePicture24(480, 320, [&](int x, int y) { return test::Grey(pen(x, y) ? 255 : 0); });
  const CleanedPhoto cleaned = CleanPhoto(photo, InkWanted::kWriting).value();
  const PackedDib bits = ReduceToTwoLevels(cleaned.picture, kBlack, kWhite).value();
  for (const int x : {221, 230, 255, 280, 288}) EXPECT_TRUE(InkAt(cleaned, bits, x, 160)) << "x " << x;
  EXPECT_GE(InkFMeasure(cleaned, mask), 0.98);
}

// A marker's 16 px strokes under a dim light's sensor noise (each channel's
// own, about 22 levels): the noise's specks outnumber the strokes' runs, and
// the pen measured among them was a pixel wide, its strokes then cleared as
// far too wide for it and the specks kept.
TEST(CleanupTest, BoldPenUnderHeavyNoiseIsFound) {
  const auto pen = [](int x, int y) {
    return (x >= 100 && x < 300 && ((y >= 80 && y < 96) || (y >= 200 && y < 216))) ||
           (x >= 192 && x < 208 && y >= 96 && y < 200);
  };
  std::mt19937 random(7);
  const auto noise = [&] {
    int sum = 0;
    for (int i = 0; i < 4; ++i) sum += static_cast<int>(random() % 49) - 24;
    return sum;
  };
  const PackedDib photo = test::MakePicture24(400, 300, [&](int x, int y) {
    const int level = pen(x, y) ? 40 : 200;
    const auto channel = [&] { return static_cast<uint8_t>(std::clamp(level + noise(), 0, 255)); };
    return Bgr{channel(), channel(), channel()};
  });
  const PackedDib mask = test::MakePicture24(400, 300, [&](int x, int y) { return test::Grey(pen(x, y) ? 255 : 0); });
  EXPECT_GE(InkFMeasure(CleanPhoto(photo, InkWanted::kWriting).value(), mask), 0.9);
}

// A scanner's black lid over 60 % of the picture, its noise a few levels
// over black, beside a sheet with a name in 6 px strokes: the pen is not
// measured among the lid's specks (a pixel wide, which cleared the name).
TEST(CleanupTest, PenIsNotMeasuredBeyondTheSheet) {
  const auto pen = [](int x, int y) {
    return (x >= 270 && x < 370 && ((y >= 100 && y < 106) || (y >= 190 && y < 196))) ||
           (x >= 317 && x < 323 && y >= 106 && y < 190);
  };
  std::mt19937 random(3);
  const PackedDib photo = test::MakePicture24(400, 300, [&](int x, int y) {
    if (x < 240) return test::Grey(static_cast<uint8_t>(8 + random() % 24));
    return test::Grey(pen(x, y) ? 40 : 210);
  });
  const PackedDib mask = test::MakePicture24(400, 300, [&](int x, int y) { return test::Grey(pen(x, y) ? 255 : 0); });
  EXPECT_GE(InkFMeasure(CleanPhoto(photo, InkWanted::kWriting).value(), mask), 0.9);
}

// A desk 16 px wide along the picture's left edge (narrower than the paper's
// closing: read as ink) and 45 px along its bottom, beside three loops a
// pixel wide (too short for the faint look): the pen is measured without the
// strip (16 px wide, which cleared the loops).
TEST(CleanupTest, PenIsNotMeasuredOnADesksStrip) {
  const auto pen = [](int x, int y) {
    for (int k = 0; k < 3; ++k) {
      if (std::abs(std::hypot(x - 150 - 24 * k, y - 150 - 5 * (k % 3) + 4 * (k % 2)) - 8) <= 0.5) return true;
    }
    return false;
  };
  std::mt19937 random(5);
  const PackedDib photo = test::MakePicture24(400, 300, [&](int x, int y) {
    const int desk = 36 + static_cast<int>(random() % 8);
    return test::Grey(static_cast<uint8_t>(x < 16 || y >= 255 ? desk : pen(x, y) ? 100 : 220));
  });
  const PackedDib mask = test::MakePicture24(400, 300, [&](int x, int y) { return test::Grey(pen(x, y) ? 255 : 0); });
  EXPECT_GE(InkFMeasure(CleanPhoto(photo, InkWanted::kWriting).value(), mask), 0.9);
}

// 3 px strokes across and down, one crossing a 30 px bar (a hard shadow
// joined to it): the bar goes, the strokes outside it stay, and so does a
// 5 px blob (a filled loop).
TEST(CleanupTest, WideInkIsCleared) {
  InkBits ink = InkBits::Create(100, 60).value();
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool blob = x >= 10 && x < 15 && y >= 40 && y < 45;
      if ((x >= 40 && x < 70) || (y >= 20 && y < 23) || (x >= 80 && x < 83) || blob) ink.Set(x, y);
    }
  }
  ASSERT_TRUE(RemoveWide(ink, 6));
  EXPECT_TRUE(ink.Get(5, 21) && ink.Get(90, 21) && ink.Get(81, 50) && ink.Get(12, 42));
  EXPECT_FALSE(ink.Get(55, 5) || ink.Get(40, 50) || ink.Get(69, 0));
}

// An i's dot stays as far above a word as half the word's height (a stem
// and foot 60 px tall, 3 px strokes: beyond four widths); a speck farther
// off goes, as does one under the least area beside the word.
TEST(CleanupTest, DotsStayWithinHalfTheWritingsHeight) {
  InkBits ink = InkBits::Create(200, 200).value();
  const auto fill = [&](int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) ink.Set(x, y);
    }
  };
  fill(40, 100, 43, 160);    // stem
  fill(43, 157, 120, 160);   // foot
  fill(39, 72, 44, 77);      // dot, 23 px above the stem
  fill(130, 110, 135, 115);  // speck
  fill(80, 150, 81, 151);    // a pixel
  ASSERT_TRUE(RemoveSpecks(ink, 4, 36, 12));
  EXPECT_TRUE(ink.Get(41, 74) && ink.Get(41, 130) && ink.Get(100, 158)) << "writing and its dot";
  EXPECT_FALSE(ink.Get(132, 112) || ink.Get(80, 150)) << "specks";
}

// Along the border, 3 px strokes: a desk's wedge beyond a tilted sheet
// (reaching in 0 to 12 px over 200 rows, a pixel short of the border) goes;
// a stroke crossing the border, a stroke along it joined to writing further
// in, and a short one stay.
TEST(CleanupTest, BorderSliversAreCleared) {
  InkBits ink = InkBits::Create(300, 240).value();
  const auto paint = [&](auto inside) {
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 300; ++x) {
        if (inside(x, y)) ink.Set(x, y);
      }
    }
  };
  const auto wedge = [](int x, int y) { return y >= 20 && y < 220 && x >= 1 && x < 1 + (y - 20) * 12 / 200; };
  const auto crossing = [](int x, int y) { return y < 60 && std::abs(x - 150 - y / 2) <= 1; };
  const auto along = [](int x, int y) { return (x >= 297 && y >= 40 && y < 200) || (y >= 120 && y < 123 && x >= 200); };
  const auto short_one = [](int x, int y) { return y >= 237 && x >= 60 && x < 80; };
  paint(wedge);
  paint(crossing);
  paint(along);
  paint(short_one);
  ASSERT_TRUE(ClearBorderSlivers(ink, 3.0).ok());
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 300; ++x) {
      EXPECT_EQ(ink.Get(x, y), crossing(x, y) || along(x, y) || short_one(x, y)) << x << ", " << y;
    }
  }
}

// A scanner's dark lid round a smaller sheet: a frame 8 px wide along all
// four edges, one piece reaching across the picture. For the writing's
// panels its sides go, and the name touching it keeps all but the part in
// the frame's band; for a seal's panel (whose own frame may run along the
// edge) it stays.
TEST(CleanupTest, FrameRoundThePictureGoesSideBySide) {
  const auto frame = [](int x, int y) { return x < 8 || y < 8 || x >= 292 || y >= 232; };
  const auto name = [](int x, int y) { return y >= 120 && y < 123 && x >= 8 && x < 200; };
  for (const bool frames : {true, false}) {
    InkBits ink = InkBits::Create(300, 240).value();
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 300; ++x) {
        if (frame(x, y) || name(x, y)) ink.Set(x, y);
      }
    }
    ASSERT_TRUE(ClearBorderSlivers(ink, 3.0, frames).ok());
    EXPECT_EQ(ink.Get(3, 60) || ink.Get(150, 2) || ink.Get(296, 200) || ink.Get(100, 236), !frames);
    EXPECT_TRUE(ink.Get(30, 121) && ink.Get(199, 121));
  }
}

// A piece is a dot when it runs for less than four of its own widths: a
// blot, a plus, a short thick bar, two specks far apart, a speck broken in
// two; not a stroke, a ring, nor four short thick bars within their size of
// each other (a marker's strokes, each a dot, together running far).
TEST(CleanupTest, ScatteredDotsByTheirOwnWidth) {
  using Shape = bool (*)(int, int);
  const std::pair<Shape, bool> cases[] = {
      {[](int x, int y) { return (x - 20) * (x - 20) + (y - 20) * (y - 20) <= 12; }, true},
      {[](int x, int y) { return (x == 20 && y >= 19 && y < 23) || (y == 20 && x >= 18 && x < 22); }, true},
      {[](int x, int y) { return x >= 10 && x < 30 && y >= 20 && y < 26; }, true},
      {[](int x, int y) { return x >= 5 && x < 45 && y >= 20 && y < 23; }, false},
      {[](int x, int y) {
         const int r = (x - 25) * (x - 25) + (y - 25) * (y - 25);
         return r >= 144 && r <= 225;
       }, false},
      {[](int x, int y) { return (x >= 5 && x < 10 && y >= 5 && y < 10) || (x >= 40 && x < 45 && y >= 40 && y < 45); },
       true},
      {[](int x, int y) { return (x == 20 || x == 22) && y >= 20 && y < 25; }, true},
      {[](int x, int y) { return y >= 10 && y < 24 && x >= 4 && x < 44 && (x - 4) % 10 < 6; }, false},
  };
  for (const auto& [shape, dot] : cases) {
    InkBits ink = InkBits::Create(50, 50).value();
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x < 50; ++x) {
        if (shape(x, y)) ink.Set(x, y);
      }
    }
    EXPECT_EQ(ScatteredDots(ink, 4.0, 2500).value(), dot);
  }
}

// A blank form's print is no writing: a box tilted 2° with bolder sides, a
// signing line inside it, a printed × and a caption's glyphs beside it (or
// a sheet's rules alone, whole or broken into dashes along their tilt). A
// name written on the line is, and so is a loop or a box drawn by hand (its
// sides bow), with the print or alone, and a dash steeper than the rules.
TEST(CleanupTest, OnlyPrintLeftIsABlankForm) {
  const auto form = [](bool box) {
    InkBits ink = InkBits::Create(500, 300).value();
    const auto tilted = [&](int x, int y) { ink.Set(x, y + x / 28); };
    for (int x = 60; x < 440; ++x) {
      for (int d = 0; d < 3; ++d) {
        if (box) tilted(x, 60 + d), tilted(x, 220 + d);
        if (x >= 100 && x < 400 && d < 2) tilted(x, 180 + d);
      }
    }
    for (int y = 60; y < 223 && box; ++y) {
      for (int d = 0; d < 3; ++d) tilted(60 + d, y), tilted(437 + d, y);
    }
    for (int i = 0; i < 24; ++i) {
      for (int d = 0; d < 2; ++d) tilted(104 + i + d, 150 + i), tilted(127 - i + d, 150 + i);
    }
    for (int x = 80; x < 200; x += 8) {
      for (int y = 72; y < 80; ++y) tilted(x, y);
    }
    return ink;
  };
  const auto drawn = [](InkBits& ink, auto shape) {
    for (int y = 0; y < ink.height(); ++y) {
      for (int x = 0; x < ink.width(); ++x) {
        if (shape(x, y)) ink.Set(x, y);
      }
    }
  };
  const auto name = [](int x, int y) {
    for (int u = x - 1; u <= x + 1; ++u) {
      const double top = 140 + 25 * std::sin(u / 7.0);
      const double bottom = 140 + 25 * std::sin((u + 1) / 7.0);
      if (u >= 150 && u < 350 && y >= std::min(top, bottom) - 1 && y <= std::max(top, bottom) + 1) return true;
    }
    return false;
  };
  const auto loop = [](int x, int y) {
    const int r = (x - 250) * (x - 250) + (y - 120) * (y - 120);
    return r >= 40 * 40 && r <= 42 * 42;
  };
  // A hand's 口: sides bowing by 8 px.
  const auto hand_box = [](int x, int y) {
    const int bow_x = static_cast<int>(std::lround(8 * std::sin((y - 90) * 3.1416 / 80)));
    const int bow_y = static_cast<int>(std::lround(8 * std::sin((x - 200) * 3.1416 / 120)));
    const bool across = x >= 200 && x < 320 && (std::abs(y - 90 + bow_y) <= 1 || std::abs(y - 170 - bow_y) <= 1);
    const bool down = y >= 90 && y < 170 && (std::abs(x - 200 + bow_x) <= 1 || std::abs(x - 320 - bow_x) <= 1);
    return across || down;
  };
  InkBits blank = form(true);
  EXPECT_TRUE(OnlyPrintLeft(blank, 2.0).value());
  InkBits rules = InkBits::Create(500, 300).value();
  drawn(rules, [](int x, int y) { return (y + x / 20) % 40 == 0; });
  EXPECT_TRUE(OnlyPrintLeft(rules, 2.0).value());
  for (const bool along : {true, false}) {  // light rules broken into dashes, one of them steeper or not
    InkBits broken = InkBits::Create(500, 300).value();
    drawn(broken, [&](int x, int y) {
      const bool steep = !along && x >= 300 && x < 318 && (y - 90 - (x - 300) / 3 + 2) / 2 == 1;
      return steep || ((y + x / 50) % 40 < 2 && (x % 120 < 90 || (x % 120 >= 95 && x % 120 < 115)));
    });
    EXPECT_EQ(OnlyPrintLeft(broken, 1.0).value(), along);
  }
  InkBits signed_form = form(true);
  drawn(signed_form, name);
  EXPECT_FALSE(OnlyPrintLeft(signed_form, 2.0).value());
  for (const bool box : {false, true}) {
    InkBits looped = form(box);
    drawn(looped, loop);
    EXPECT_FALSE(OnlyPrintLeft(looped, 2.0).value());
    InkBits boxed = form(box);
    drawn(boxed, hand_box);
    EXPECT_FALSE(OnlyPrintLeft(boxed, 2.0).value());
  }
  InkBits alone = InkBits::Create(500, 300).value();
  drawn(alone, hand_box);
  EXPECT_FALSE(OnlyPrintLeft(alone, 2.0).value());
}

// Beside a blue pen, a caption's grey glyphs go; a grey i-dot too small to
// show its colour stays. Beside a black pen, or a pen whose tint stays in
// the grain, nothing goes, even where a red margin's line is the largest
// piece.
TEST(CleanupTest, GreyPrintGoesBesideAColouredPenOnly) {
  struct Colour {
    int darkness;
    float bgr[3];
  };
  const Colour blue{150, {150, 70, 50}}, black{200, {45, 40, 40}}, tint{70, {214, 205, 200}},
      grey{190, {60, 60, 62}}, red{120, {60, 60, 200}};
  const auto sheet = [&](Colour pen, bool margin) {
    InkBits ink = InkBits::Create(400, 240).value();
    std::vector<std::tuple<int, int, const Colour*>> pixels;
    const auto put = [&](int x, int y, const Colour& c) {
      ink.Set(x, y);
      pixels.emplace_back(x, y, &c);
    };
    for (int x = 50; x < 350; ++x) {
      const int y = 80 + static_cast<int>(std::lround(25 * std::sin(x / 9.0)));
      for (int d = -1; d <= 1; ++d) put(x, y + d, pen);
    }
    for (int glyph = 0; glyph < 6; ++glyph) {  // an L each
      const int left = 80 + 30 * glyph;
      for (int i = 0; i < 14; ++i) {
        for (int d = 0; d < 2; ++d) put(left + d, 170 + i, grey), put(left + i, 182 + d, grey);
      }
    }
    for (int y = 30; y < 33; ++y) {
      for (int x = 200; x < 203; ++x) put(x, y, grey);
    }
    for (int y = 0; y < 240 && margin; ++y) {  // a double margin, more ink than the name
      for (int d = 0; d < 5; ++d) put(10 + d, y, red), put(25 + d, y, red);
    }
    InkColours colours = InkColours::Create(ink, 16).value();
    for (const auto& [x, y, c] : pixels) colours.Note(x, y, c->darkness, c->bgr);
    EXPECT_TRUE(RemoveGreyPrint(ink, colours, 3.0).ok());
    return ink;
  };
  const InkBits signed_in_blue = sheet(blue, false);
  EXPECT_TRUE(signed_in_blue.Get(100, 80 + static_cast<int>(std::lround(25 * std::sin(100 / 9.0)))));
  EXPECT_FALSE(signed_in_blue.Get(80, 175));
  EXPECT_FALSE(signed_in_blue.Get(235, 182));
  EXPECT_TRUE(signed_in_blue.Get(201, 31));
  for (const Colour& pen : {black, tint}) {
    for (const bool margin : {false, true}) {
      const InkBits kept = sheet(pen, margin);
      EXPECT_TRUE(kept.Get(80, 175) && kept.Get(235, 182));
    }
  }
}

// Paper with ink on three sides is filled: notches in a bar
// (either side of a byte's edge); not the paper between two bars a pixel
// apart, nor an L's inside corner.
TEST(CleanupTest, FillPinholesInsideStrokesOnly) {
  // Rows of a 12 × 7 mask, '#' ink; after the fill, 'o' is ink too.
  const char* const rows[] = {
      "............",
      ".######o##..",
      ".#######o#..",
      ".#######.#..",
      "..........#.",
      ".##.##....##",
      ".##.##......",
  };
  InkBits ink = InkBits::Create(12, 7).value();
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 12; ++x) {
      if (rows[y][x] == '#') ink.Set(x, y);
    }
  }
  ASSERT_TRUE(FillPinholes(ink));
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 12; ++x) EXPECT_EQ(ink.Get(x, y), rows[y][x] != '.') << x << ", " << y;
  }
}

// The blur is read from the edges of a bar 12 px wide (contrast 200) at ten
// offsets within a pixel. A line 1 px wide, narrower than the blur, at any
// offset, then counts as narrow: its pixels at least half as dark as its
// peak run no further than NarrowRun. Under σ 1.7 a whole-pixel count of
// each rise misread the blur, and the line centred on a pixel ran past it.
TEST(CleanupTest, EdgeRiseFitsLinesAsNarrowAsTheBlur) {
  const auto phi = [](double u) { return 0.5 * std::erfc(-u / std::sqrt(2.0)); };
  for (const double sigma : {1.0, 1.4, 1.7, 2.2, 3.0}) {
    const auto row = [&](double left, double width) {
      std::vector<uint8_t> dark(64);
      for (int x = 0; x < 64; ++x) {
        const double cover = phi((x - left) / sigma) - phi((x - left - width) / sigma);
        dark[x] = static_cast<uint8_t>(std::lround(200 * cover));
      }
      return dark;
    };
    EdgeRise rise(200);
    for (int i = 0; i < 10; ++i) rise.AddRow(row(20 + i / 10.0, 12).data(), 64);
    for (int i = 0; i < 10; ++i) {
      const std::vector<uint8_t> line = row(31.5 + i / 10.0, 1);
      const int peak = *std::max_element(line.begin(), line.end());
      const auto run = std::count_if(line.begin(), line.end(), [&](uint8_t d) { return 2 * d >= peak; });
      EXPECT_LE(run, rise.NarrowRun()) << "sigma " << sigma << " offset " << i;
    }
  }
}

// Runs ending in a ramp from paper to 200 over `width` pixels: the rise
// from 50 to 150 is read as half the ramp, between pixels; a sharp edge
// rises within a pixel, and an end with no paper within reach tells nothing.
TEST(CleanupTest, RunEndRiseReadsHowSoftEdgesAre) {
  for (const double width : {0.0, 4.0, 10.0}) {
    RunEndRise rise(200);
    for (int i = 0; i < 8; ++i) {
      const double left = 20 + i / 8.0;
      std::vector<uint8_t> row(80);
      for (int x = 0; x < 80; ++x) {
        const double share = width > 0 ? (x - left) / width : x >= left ? 1.0 : 0.0;
        row[x] = static_cast<uint8_t>(std::lround(200 * std::clamp(share, 0.0, 1.0)));
      }
      const auto end = std::find_if(row.begin(), row.end(), [](uint8_t d) { return d >= 100; }) - row.begin();
      rise.AddEnd(row.data(), 80, static_cast<int32_t>(end), -1);
    }
    EXPECT_EQ(rise.count(), 8u);
    EXPECT_NEAR(rise.Median(), std::max(width / 2, 0.5), 0.25) << width;
  }
  RunEndRise far(200);
  std::vector<uint8_t> dark(80, 200);
  far.AddEnd(dark.data(), 80, 70, 1);
  far.AddEnd(dark.data(), 80, 0, -1);
  EXPECT_EQ(far.count(), 0u);
}

// Upright strokes blurred across by a Gaussian (σ 1 px) as a lens blurs
// them, in light, then stored with sRGB's curve: dark 5 px bars set the
// ink's contrast (one with its edge 0.4 px inside a pixel, under half as
// dark as the bar in stored values: the midway cut keeps it); beside them a
// dark line 2.4 px wide, whose peak the blur keeps well under that contrast
// and whose halfway line lies outside it, and a light 6 px stroke, whose
// flat top makes halfway right.
TEST(CleanupTest, PhotoCutsStrokesAtTheirEdgeInLight) {
  struct Stroke { double centre, width, absorbed; int ink_from, ink_to; };
  const Stroke strokes[] = {{20.1, 5, 0.97, 18, 23}, {40, 5, 0.97, 38, 43}, {60, 5, 0.97, 58, 63},
                            {140, 5, 0.97, 138, 143}, {75.5, 2.4, 0.97, 75, 77}, {120.5, 6, 0.75, 118, 124}};
  const auto phi = [](double u) { return 0.5 * std::erfc(-u / std::sqrt(2.0)); };
  const auto stored = [](double light) {  // sRGB's curve
    return light <= 0.0031308 ? 12.92 * light : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
  };
  const PackedDib photo = test::MakePicture24(160, 120, [&](int x, int y) {
    double absorbed = 0;
    for (const Stroke& s : strokes) {
      const double cover = phi(x - s.centre + s.width / 2) - phi(x - s.centre - s.width / 2);
      absorbed += y < 30 || y >= 90 ? 0 : s.absorbed * cover;
    }
    const double light = 0.79 * (1 - std::min(absorbed, 1.0));  // paper: 230 stored
    return test::Grey(static_cast<uint8_t>(std::lround(255 * stored(light))));
  });
  const CleanedPhoto cleaned = CleanPhoto(photo, InkWanted::kAny).value();
  const PackedDib bits = ReduceToTwoLevels(cleaned.picture, kBlack, kWhite).value();
  for (const Stroke& s : strokes) {
    for (int x = s.ink_from - 2; x < s.ink_to + 2; ++x) {
      EXPECT_EQ(InkAt(cleaned, bits, x, 60), x >= s.ink_from && x < s.ink_to) << "x " << x;
    }
  }
}

// A stroke whose core has no light left (black: a sharpened photo clips it)
// and whose rims are just past halfway: the rims stay ink after the
// two-level reduction, which takes its threshold from the darkest pixel.
TEST(CleanupTest, BlackCoreKeepsItsLighterRims) {
  const PackedDib photo = test::MakePicture24(80, 120, [](int x, int y) {
    const bool stroke = y >= 20 && y < 100 && x >= 40 && x < 46;
    return test::Grey(!stroke ? 230 : x == 42 || x == 43 ? 0 : 110);
  });
  const CleanedPhoto cleaned = CleanPhoto(photo, InkWanted::kAny).value();
  const PackedDib bits = ReduceToTwoLevels(cleaned.picture, kBlack, kWhite).value();
  for (int x = 38; x < 48; ++x) EXPECT_EQ(InkAt(cleaned, bits, x, 60), x >= 40 && x < 46) << "x " << x;
}

// A picture under 1024 px is not reduced: a rule 6 px thick (a close-up's
// blurred rule), one 14 px thick (a form's signing line) and one 24 px thick
// (a close-up's box side) go; a straight stroke nearly as long that swells
// from 5 to 8 px stays, and so does a band the picture's top side cuts (a
// desk beyond the sheet). The heavy line stays when lighter than the pen
// (none of it strong).
TEST(CleanupTest, ThickRuleGoesAndSwellingStrokeStays) {
  InkBits ink = InkBits::Create(400, 200).value();
  for (int x = 0; x < 400; ++x) {
    for (int y = 0; y < 6; ++y) ink.Set(x, y);
    for (int y = 40; y < 46; ++y) ink.Set(x, y);
    for (int y = 70; y < 84; ++y) ink.Set(x, y);
    for (int y = 120; y < 125 + x / 20 % 4 && x >= 20 && x < 380; ++y) ink.Set(x, y);
    for (int y = 150; y < 174; ++y) ink.Set(x, y);
  }
  InkBits light = ink.Copy().value(), strong = InkBits::Create(400, 200).value();
  const PaperLines lines = PaperLines::Find(ink).value();
  ASSERT_TRUE(lines.Clear(ink, ink));
  EXPECT_FALSE(ink.Get(200, 40) || ink.Get(10, 45) || ink.Get(200, 70) || ink.Get(390, 83) || ink.Get(200, 150) ||
               ink.Get(5, 173));
  EXPECT_TRUE(ink.Get(200, 120) && ink.Get(300, 127) && ink.Get(200, 0));
  ASSERT_TRUE(lines.Clear(light, strong));
  EXPECT_TRUE(light.Get(200, 70) && light.Get(390, 83));
}

// A cup's ring (radius 80, 3 px wide) beside a name (a zigzag 30 px tall,
// stroke width 2) goes: whole, broken every 40° by its lighter stretches, or
// cut by the picture's border below its middle. A round capital as tall as
// the name's letters (radius 25) stays, and so do the name's strokes.
TEST(CleanupTest, CupRingIsNoWriting) {
  enum { kWhole, kBroken, kCut, kCapital };
  for (const int ring : {kWhole, kBroken, kCut, kCapital}) {
    InkBits ink = InkBits::Create(400, 300).value();
    const int cx = ring == kCapital ? 330 : 200, cy = ring == kCut ? 250 : 150;
    const double radius = ring == kCapital ? 25 : 80;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 400; ++x) {
        const double angle = std::atan2(y - cy, x - cx) * 180 / 3.14159265;
        const bool gap = ring == kBroken && std::fmod(angle + 360, 40) < 6;
        if (std::abs(std::hypot(x - cx, y - cy) - radius) <= 1.5 && !gap) ink.Set(x, y);
      }
    }
    for (int x = 10; x < 100; ++x) {
      const int y = 120 + std::abs(x % 30 - 15) * 2;
      ink.Set(x, y), ink.Set(x, y + 1);
    }
    ASSERT_TRUE(RemoveStainRings(ink, 2));
    EXPECT_EQ(ink.Get(cx + static_cast<int>(radius), cy), ring == kCapital) << ring;
    EXPECT_EQ(ink.Get(cx, cy - static_cast<int>(radius)), ring == kCapital) << ring;
    EXPECT_TRUE(ink.Get(25, 140) && ink.Get(40, 130)) << ring;
  }
}

// The pieces' boxes from the rows' runs are the walk's, in its order: on
// random specks and strokes, joined across rows only at a corner too.
TEST(CleanupTest, PieceBoxesAreTheWalks) {
  InkBits ink = InkBits::Create(203, 97).value();
  std::mt19937 random(3);
  for (int i = 0; i < 900; ++i) ink.Set(static_cast<int>(random() % 203), static_cast<int>(random() % 97));
  for (int x = 20; x < 180; ++x) ink.Set(x, 40 + (x / 9) % 2 * (x % 7));
  std::vector<PixelRect> walked;
  InkBits copy = ink.Copy().value();
  ASSERT_TRUE(ForEachPiece(copy, [&](std::span<const InkSpot> piece) -> Result<void> {
    walked.push_back(BoxOf(piece));
    return {};
  }));
  const std::vector<PieceBox> boxes = PieceBoxes(ink).value();
  ASSERT_EQ(boxes.size(), walked.size());
  for (size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(std::tuple(boxes[i].box.left, boxes[i].box.top, boxes[i].box.right, boxes[i].box.bottom),
              std::tuple(walked[i].left, walked[i].top, walked[i].right, walked[i].bottom)) << i;
  }
}

// A form's field round the name, its sides a pixel thin and a third of the
// picture long (too short for a paper line), one corner a pixel apart,
// goes; the name inside stays, as does a written 口 beside it (nothing
// inside it). A blank field the photo cut at its left is a form's print.
TEST(CleanupTest, BoxRoundTheNameGoes) {
  const auto box = [](InkBits& ink, int left, int top, int right, int bottom, int apart = 0) {
    const auto set = [&](int x, int y) { x >= 0 ? ink.Set(x, y) : void(); };  // cut by the picture's left border
    for (int x = left; x <= right; ++x) set(x, top), set(x, bottom);
    for (int y = top; y <= bottom; ++y) set(left, y), set(right + apart, y);
  };
  InkBits ink = InkBits::Create(700, 500).value();
  box(ink, 250, 200, 480, 280, 2);  // the right side a pixel off
  for (int x = 270; x < 400; ++x) {
    const int y = 225 + std::abs(x % 30 - 15) * 2;
    ink.Set(x, y), ink.Set(x, y + 1);
  }
  box(ink, 410, 230, 440, 260);  // 口: a square of its own, empty
  ASSERT_TRUE(RemoveBoxRoundTheName(ink, 1));
  EXPECT_FALSE(ink.Get(300, 200) || ink.Get(250, 240) || ink.Get(482, 240) || ink.Get(300, 280));
  EXPECT_TRUE(ink.Get(285, 225) && ink.Get(410, 240) && ink.Get(420, 230));
  EXPECT_FALSE(OnlyPrintLeft(ink, 1).value());

  InkBits blank = InkBits::Create(700, 500).value();
  box(blank, -10, 200, 300, 280);
  EXPECT_TRUE(OnlyPrintLeft(blank, 1).value());
}

// A paper clip's wire lying slanted beside the name, five strokes wide: it
// goes, though the wide test's upright square does not fit in it; the
// name's strokes, where they cross too, stay, also where the stroke width
// measured is a quarter of theirs (heavy noise's specks).
TEST(CleanupTest, WideObjectBesideTheNameGoes) {
  for (const double measured : {4.0, 1.0}) {
    InkBits ink = InkBits::Create(700, 500).value();
    for (int row = 0; row < 5; ++row) {  // the name: zigzags 4 px thick, crossed by a stroke down
      for (int x = 40; x < 440; ++x) {
        const int y = 40 + 80 * row + std::abs(x % 60 - 30);
        for (int t = 0; t < 4; ++t) ink.Set(x, y + t);
      }
    }
    for (int y = 40; y < 400; ++y) {
      for (int x = 200; x < 204; ++x) ink.Set(x, y);
    }
    const double slant = 20 * std::numbers::pi / 180;
    for (int y = 120; y < 380; ++y) {  // the wire: 20 px wide, 20° off upright
      for (int x = 460; x < 700; ++x) {
        if (std::abs((x - 580) * std::cos(slant) - (y - 250) * std::sin(slant)) < 10) ink.Set(x, y);
      }
    }
    ASSERT_TRUE(RemoveWide(ink, static_cast<int32_t>(2 * measured)));
    ASSERT_TRUE(RemoveWidePieces(ink, measured));
    EXPECT_FALSE(ink.Get(580, 250) || ink.Get(575, 250)) << measured;
    EXPECT_TRUE(ink.Get(100, 51) && ink.Get(202, 200) && ink.Get(300, 231)) << measured;
  }
}

// A form's dotted signing line goes, between the letters of the name that
// crosses it too; the name stays, as does a pencil's underline found as
// flakes unevenly spaced and sized along a row.
TEST(CleanupTest, DottedSigningLineGoes) {
  InkBits ink = InkBits::Create(500, 300).value();
  for (int x = 50; x < 450; x += 7) {  // dashes 3 px long, tilted by a row every 200 px
    for (int i = 0; i < 3; ++i) ink.Set(x + i, 150 + x / 200);
  }
  for (int x = 120; x < 300; ++x) {  // the name, down to the line
    const int y = 120 + std::abs(x % 30 - 15) * 2;
    ink.Set(x, y), ink.Set(x, y + 1);
  }
  std::mt19937 random(7);
  for (int x = 60; x < 440;) {  // flakes: 1 to 6 px, 2 to 20 apart
    const int size = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < size; ++i) ink.Set(x + i, 220 + (x / 100) % 2);
    x += size + 2 + static_cast<int>(random() % 19);
  }
  ASSERT_TRUE(RemoveDottedLines(ink, 2));
  EXPECT_FALSE(ink.Get(50, 150) || ink.Get(225, 151) || ink.Get(444, 152));
  EXPECT_TRUE(ink.Get(150, 150) && ink.Get(148, 150) && ink.Get(136, 122));  // a dot the name crosses: the name's
  EXPECT_TRUE(ink.Get(60, 220));
}

// A legal pad's double margin in a small photo: two rules a pixel wide and a
// pixel apart both go, at a pixel's tilt across the picture too.
TEST(CleanupTest, DoubleRuleGoesWhole) {
  for (const int tilt : {0, 1}) {
    InkBits ink = InkBits::Create(400, 200).value();
    for (int x = 0; x < 400; ++x) ink.Set(x, 100 + tilt * x / 400), ink.Set(x, 102 + tilt * x / 400);
    ASSERT_TRUE(PaperLines::Find(ink).value().Clear(ink, ink));
    EXPECT_FALSE(ink.Get(100, 100) || ink.Get(100, 102) || ink.Get(399, 101 + tilt)) << tilt;
  }
}

// Two straight strokes of a name on one line, each under 30 % of the
// picture, with 35 % of it between them, stay; a rule broken every 40 px
// (by 10, more than a crossing stroke) goes.
TEST(CleanupTest, StrokesLiningUpAreNoLine) {
  InkBits ink = InkBits::Create(400, 200).value();
  for (int x = 0; x < 400; ++x) {
    if (x % 50 < 40) ink.Set(x, 50), ink.Set(x, 51);
    if ((x >= 20 && x < 130) || (x >= 270 && x < 380)) ink.Set(x, 100), ink.Set(x, 101);
  }
  ASSERT_TRUE(PaperLines::Find(ink).value().Clear(ink, ink));
  EXPECT_FALSE(ink.Get(20, 50) || ink.Get(360, 51));
  EXPECT_TRUE(ink.Get(60, 100) && ink.Get(300, 101));
}

// A form's signing line alone (no line found for it to meet), straight and
// under the whole name, goes from the writing (for the writing's panels) but
// where the name crosses it; a hand's underline as long, bowed by 3 px, and
// a straight stroke under one of the name's two characters stay. A speck far
// off does not stretch the name's span, nor does a seal stamped over most of
// the line hide it.
TEST(CleanupTest, SigningLineUnderTheNameGoes) {
  const auto signed_on = [](int line, bool bowed, bool speck = false, bool sealed = false) {
    InkBits ink = InkBits::Create(500, 300).value();
    if (speck) ink.Set(10, 40), ink.Set(11, 40), ink.Set(10, 41), ink.Set(11, 41);
    for (int y = 190; sealed && y < 212; ++y) {
      for (int x = 240; x < 370; ++x) ink.Set(x, y);
    }
    for (int x = 170; x < 370; ++x) {
      const auto y = static_cast<int>(std::lround(160 + 30 * std::sin(x / 6.0)));
      for (int dy = -1; dy <= 1; ++dy) ink.Set(x, y + dy);
    }
    for (int y = 120; y < 206; ++y) ink.Set(220, y), ink.Set(221, y);
    for (int x = line; x < 390; ++x) {
      const auto bow = bowed ? static_cast<int>(std::lround(3 * std::sin(3.1416 * (x - line) / (390 - line)))) : 0;
      ink.Set(x, 200 + bow), ink.Set(x, 201 + bow);
    }
    const PaperLines lines = PaperLines::Find(ink, true, true).value();
    EXPECT_TRUE(lines.Clear(ink, ink));
    // Where the pen's own contrast is read, the straight line is left out.
    InkBits beside = ink.Copy().value();
    lines.ClearNear(beside, 1, true);
    EXPECT_EQ(beside.Get(line + 10, 200), bowed || line > 200) << line << " " << bowed;
    EXPECT_TRUE(beside.Get(220, 180));
    EXPECT_TRUE(lines.ClearPrinted(ink));
    return ink;
  };
  const InkBits line = signed_on(150, false);
  EXPECT_FALSE(line.Get(160, 200) || line.Get(380, 201));
  EXPECT_FALSE(signed_on(150, false, true).Get(160, 200));
  EXPECT_FALSE(signed_on(150, false, false, true).Get(160, 200));
  EXPECT_TRUE(line.Get(220, 200) && line.Get(220, 180));
  EXPECT_TRUE(signed_on(150, true).Get(270, 203));
  EXPECT_TRUE(signed_on(230, false).Get(380, 200));
}

// A form's printed × standing on the signing line goes; a 十 there, an ×
// away from any line and the name stay. A bold × the name touches is told
// apart from the stroke that begins on it.
TEST(CleanupTest, PrintedCrossOnTheSigningLineGoes) {
  InkBits ink = InkBits::Create(500, 300).value();
  for (int x = 20; x < 480; ++x) ink.Set(x, 200), ink.Set(x, 201);
  for (int x = 170; x < 370; ++x) {
    const auto y = static_cast<int>(std::lround(160 + 30 * std::sin(x / 6.0)));
    for (int dy = -1; dy <= 1; ++dy) ink.Set(x, y + dy);
  }
  const auto cross = [&](int left, int top, bool upright) {
    for (int i = 0; i < 24; ++i) {
      for (int d = 0; d < 2; ++d) {
        if (upright) {
          ink.Set(left + i, top + 12 + d), ink.Set(left + 12 + d, top + i);
        } else {
          ink.Set(left + i + d, top + i), ink.Set(left + 23 - i + d, top + i);
        }
      }
    }
  };
  cross(60, 172, false);
  cross(120, 172, true);
  cross(60, 40, false);
  // A bold × (strokes 10 px across) that a 3 px stroke of the name begins on.
  for (int y = 156; y < 196; ++y) {
    for (int x = 390; x < 430; ++x) {
      if (std::abs((x - 390) - (y - 156)) < 7 || std::abs((x - 390) + (y - 156) - 39) < 7) ink.Set(x, y);
    }
  }
  const auto tail = [](int x) { return static_cast<int>(std::lround(162 + 3 * std::sin(x / 5.0))); };
  for (int x = 425; x < 475; ++x) ink.Set(x, tail(x) - 1), ink.Set(x, tail(x)), ink.Set(x, tail(x) + 1);
  const PaperLines lines = PaperLines::Find(ink, true, true).value();
  ASSERT_TRUE(lines.Clear(ink, ink));
  const InkBits bold = BoldSignHereMarks(ink, lines, 3).value();
  ASSERT_TRUE(RemoveSignHereMarks(ink, lines));
  EXPECT_FALSE(ink.Get(60, 172) || ink.Get(72, 184));
  EXPECT_TRUE(ink.Get(132, 172) && ink.Get(60, 40) && ink.Get(220, static_cast<int>(std::lround(160 + 30 * std::sin(220 / 6.0)))));
  ASSERT_EQ(bold.width(), ink.width());
  EXPECT_TRUE(bold.Get(410, 176) && bold.Get(392, 158) && bold.Get(392, 194));
  EXPECT_FALSE(bold.Get(450, tail(450)) || bold.Get(132, 172) || bold.Get(220, 190));
}

// A seal broken in two by a faded stretch keeps both arcs, its strokes and
// a fleck beside it; a fleck of print far off goes. So does a glyph of print
// far below a name written in separate letters, whose i-dot stays, and a
// word of print further below (a sixth of a letter); a piece as large far
// to its right, in its rows, stays.
TEST(CleanupTest, FlecksAwayFromTheMarkGo) {
  InkBits ink = InkBits::Create(600, 400).value();
  for (int a = 0; a < 360; ++a) {
    if (a % 180 < 20) continue;  // two gaps: two arcs
    for (double r = 60; r < 64; r += 0.5) {
      ink.Set(static_cast<int>(std::lround(150 + r * std::cos(a * M_PI / 180))),
              static_cast<int>(std::lround(200 + r * std::sin(a * M_PI / 180))));
    }
  }
  const auto block = [&](int left, int top, int w, int h) {
    for (int y = top; y < top + h; ++y) {
      for (int x = left; x < left + w; ++x) ink.Set(x, y);
    }
  };
  block(130, 170, 40, 3);  // a stroke inside
  block(222, 200, 3, 3);   // a fleck just beside
  block(480, 60, 3, 3);    // a fleck far off
  ASSERT_TRUE(KeepTheBody(ink));
  EXPECT_TRUE(ink.Get(150, 262) && ink.Get(150, 138) && ink.Get(140, 171) && ink.Get(223, 201));
  EXPECT_FALSE(ink.Get(481, 61));
  InkBits name = InkBits::Create(800, 600).value();
  for (int letter = 0; letter < 5; ++letter) {
    for (int x = 100 + 80 * letter; x < 160 + 80 * letter; ++x) {
      const auto y = static_cast<int>(std::lround(150 + 20 * std::sin(x / 5.0)));
      for (int dy = -1; dy <= 1; ++dy) name.Set(x, y + dy);
    }
  }
  for (int y = 110; y < 113; ++y) name.Set(200, y), name.Set(201, y);  // an i-dot
  for (int y = 430; y < 438; ++y) name.Set(250, y), name.Set(251, y);  // a glyph of print
  for (int y = 540; y < 548; ++y) {
    for (int x = 300; x < 312; ++x) name.Set(x, y), name.Set(x + 420, y - 390);  // print; a piece in the rows
  }
  ASSERT_TRUE(KeepTheBody(name));
  EXPECT_TRUE(name.Get(200, 111) && name.Get(420, static_cast<int>(std::lround(150 + 20 * std::sin(84.0)))));
  EXPECT_TRUE(name.Get(725, 152));
  EXPECT_FALSE(name.Get(250, 433) || name.Get(305, 544));
}

// A form's ruled line far below a name, twice as large as any of its
// letters, is no part of the mark and goes; the name's own underline, under
// it, stays.
// (A pen's long stroke beside a smaller loop stays: ruled paper, above.)
TEST(CleanupTest, RuleFarFromTheMarkGoes) {
  InkBits ink = InkBits::Create(800, 600).value();
  for (int letter = 0; letter < 5; ++letter) {
    for (int x = 100 + 80 * letter; x < 160 + 80 * letter; ++x) {
      const auto y = static_cast<int>(std::lround(150 + 20 * std::sin(x / 5.0)));
      for (int dy = -1; dy <= 1; ++dy) ink.Set(x, y + dy);
    }
  }
  for (int x = 0; x < 800; ++x) {
    for (int y = 560; y < 563 && x >= 100 && x < 500; ++y) ink.Set(x, y);  // the rule
    for (int y = 185; y < 188 && x >= 100 && x < 460; ++y) ink.Set(x, y);  // the underline
  }
  ASSERT_TRUE(KeepTheBody(ink));
  EXPECT_TRUE(ink.Get(300, 186) && ink.Get(420, static_cast<int>(std::lround(150 + 20 * std::sin(84.0)))));
  EXPECT_FALSE(ink.Get(400, 561));
}

// A ruled sheet in perspective: its rules meet at a point far to the left,
// the outer ones steeper than 8 degrees; they go with the rest, thin or as
// thick as a close-up's (6 px). A straight stroke as steep that is not of
// the fan stays.
TEST(CleanupTest, SteepRulesOfAFanGo) {
  for (const int thickness : {2, 6}) {
    InkBits ink = InkBits::Create(400, 600).value();
    const auto draw = [&](double top, double slope, int across) {
      for (int x = 0; x < 400; ++x) {
        const auto y = static_cast<int>(top + slope * x);
        for (int d = 0; d < across; ++d) ink.Set(x, y + d);
      }
    };
    for (int i = -4; i <= 4; ++i) draw(300 + 1000 * 0.05 * i, 0.05 * i, thickness);
    draw(560, -0.2, 2);
    ASSERT_TRUE(PaperLines::Find(ink).value().Clear(ink, ink));
    EXPECT_FALSE(ink.Get(200, 300) || ink.Get(200, 480) || ink.Get(200, 540) || ink.Get(200, 60)) << thickness;
    EXPECT_TRUE(ink.Get(100, 540) && ink.Get(300, 500)) << thickness;
  }
}

// A form's box: its top and bottom run across the sheet; its sides, over a
// third of the picture (the right one 11° off, in perspective), meet them at
// the corners and go with them. A straight stroke as long that stands on the
// bottom (a name's, on a signing line) stays, and so does a box's side on
// ruled paper (more lines than a form's).
TEST(CleanupTest, FrameSidesMeetingALineAtACornerGo) {
  const auto form = [](int rules, bool broken = false) {
    InkBits ink = InkBits::Create(300, 300).value();
    for (int x = 20; x < 282; ++x) ink.Set(x, 130), ink.Set(x, 131);
    for (int x = 20; x < 258; ++x) ink.Set(x, 250), ink.Set(x, 251);
    for (int y = 130; y < 252; ++y) {
      const int right = 280 - (y - 130) / 5;
      ink.Set(20, y), ink.Set(21, y), ink.Set(right, y), ink.Set(right + 1, y);
    }
    for (int y = 150; y < 250; ++y) ink.Set(150, y), ink.Set(151, y);
    for (int i = 0; i < rules; ++i) {
      for (int x = 0; x < 300; ++x) {
        if (!broken || x % 30 < 20) ink.Set(x, 10 + 20 * i);
      }
    }
    EXPECT_TRUE(PaperLines::Find(ink).value().Clear(ink, ink));
    return ink;
  };
  const InkBits box = form(0);
  EXPECT_FALSE(box.Get(100, 250) || box.Get(20, 200) || box.Get(267, 200) || box.Get(100, 131));
  EXPECT_TRUE(box.Get(150, 200));
  const InkBits ruled = form(6);
  EXPECT_TRUE(ruled.Get(20, 200) && ruled.Get(267, 200) && ruled.Get(150, 200));
  // Rows of print above the box, found as lines broken all along, are no
  // ruled sheet: the sides still go.
  const InkBits printed = form(6, true);
  EXPECT_FALSE(printed.Get(20, 200) || printed.Get(267, 200));
  EXPECT_TRUE(printed.Get(150, 200));
  // A close-up's box, lines 6 px thick: its top, even but over 65 % of the
  // width (a thick rule must cover 80 %), meets the side found at a corner and
  // goes; a bar as thick and long that meets no line stays.
  InkBits close = InkBits::Create(400, 300).value();
  for (int y = 60; y < 300; ++y) {
    for (int x = 40; x < 46; ++x) close.Set(x, y);
  }
  for (int x = 40; x < 300; ++x) {
    for (int y = 60; y < 66; ++y) close.Set(x, y);
  }
  for (int x = 150; x < 380; ++x) {
    for (int y = 200; y < 206; ++y) close.Set(x, y);
  }
  ASSERT_TRUE(PaperLines::Find(close).value().Clear(close, close));
  EXPECT_FALSE(close.Get(42, 200) || close.Get(200, 62));
  EXPECT_TRUE(close.Get(300, 202));
  // A table's cells: a divider from one side to the other (each end on a
  // line, neither at a corner) goes, and so does one from a side out of the
  // picture; one as long with a free end stays.
  const auto table = [](int first, int last) {
    InkBits ink = InkBits::Create(400, 300).value();
    for (int y = 0; y < 300; ++y) ink.Set(first, y), ink.Set(first + 1, y);
    for (int y = 0; last < 400 && y < 300; ++y) ink.Set(last, y), ink.Set(last + 1, y);
    for (int x = first; x < std::min(last + 2, 400); ++x) ink.Set(x, 150), ink.Set(x, 151);
    for (int x = first; x < first + 190; ++x) ink.Set(x, 220), ink.Set(x, 221);
    EXPECT_TRUE(PaperLines::Find(ink).value().Clear(ink, ink));
    return ink;
  };
  const InkBits cells = table(100, 300);
  EXPECT_FALSE(cells.Get(200, 150) || cells.Get(100, 60));
  EXPECT_TRUE(cells.Get(180, 220));
  EXPECT_FALSE(table(180, 400).Get(300, 150));
  // A box round a name, on a sheet with no line found: its top and bottom
  // over half the width, its sides a quarter of the height (too short for
  // lines), 5° off. Ink closing both ends, with the name inside, makes it
  // the form's (for the writing's panels); the name stays. Open at one end
  // (two long strokes joined by a third), or with little inside (a name's
  // 口, large in a close photo), it stays. A box as wide as the sheet, whose
  // top and bottom are found as lines, is closed the same way.
  const auto wave = [](int x) { return static_cast<int>(std::lround(140 + 18 * std::sin(x / 2.0))); };
  const auto boxed = [&](bool closed, bool name, int left = 80, int right = 300) {
    InkBits ink = InkBits::Create(400, 300).value();
    for (int x = left; x < right + 2; ++x) ink.Set(x, 100), ink.Set(x, 101), ink.Set(x, 180), ink.Set(x, 181);
    for (int y = 100; y < 182; ++y) {
      ink.Set(left + (y - 100) / 11, y), ink.Set(left + 1 + (y - 100) / 11, y);
      if (closed) ink.Set(right + (y - 100) / 11, y), ink.Set(right + 1 + (y - 100) / 11, y);
    }
    for (int x = left + 30; name && x < right - 30; ++x) {
      for (int y = std::min(wave(x), wave(x + 1)) - 2; y <= std::max(wave(x), wave(x + 1)) + 2; ++y) ink.Set(x, y);
    }
    EXPECT_TRUE(PaperLines::Find(ink, true, true).value().Clear(ink, ink));
    return ink;
  };
  const InkBits box_round_name = boxed(true, true);
  EXPECT_FALSE(box_round_name.Get(150, 100) || box_round_name.Get(150, 181) || box_round_name.Get(84, 140) ||
               box_round_name.Get(304, 140));
  EXPECT_TRUE(box_round_name.Get(150, wave(150)) && box_round_name.Get(200, wave(200)));
  EXPECT_TRUE(boxed(false, true).Get(150, 100) && boxed(false, true).Get(84, 140));
  EXPECT_TRUE(boxed(true, false).Get(150, 100) && boxed(true, false).Get(304, 140));
  const InkBits wide_box = boxed(true, true, 20, 380);
  EXPECT_FALSE(wide_box.Get(24, 140) || wide_box.Get(384, 140));
  EXPECT_TRUE(wide_box.Get(150, wave(150)) && wide_box.Get(200, wave(200)));
  // The same on a photo reduced by two to be looked at, the box's sides 9°
  // off, 3 px thick and a fifth of its height: a side is found to a cell's
  // slack, and runs in the middle of the ways that cover as much, along its
  // ink (at the last of them, its band lay beside the ink, and it stayed).
  InkBits large = InkBits::Create(1200, 800).value();
  for (int x = 150; x < 1000; ++x) {
    for (int d = 0; d < 3; ++d) large.Set(x, 100 + d), large.Set(x + 24, 260 + d);
  }
  for (int y = 100; y < 263; ++y) {
    for (int d = 0; d < 3; ++d) large.Set(150 + (y - 100) * 3 / 20 + d, y), large.Set(1000 + (y - 100) * 3 / 20 + d, y);
  }
  for (int x = 250; x < 900; ++x) {
    for (int y = std::min(wave(x), wave(x + 1)) + 40; y <= std::max(wave(x), wave(x + 1)) + 42; ++y) large.Set(x, y);
  }
  ASSERT_TRUE(PaperLines::Find(large, true, true).value().Clear(large, large));
  int side_left = 0;
  for (int y = 110; y < 250; ++y) {
    for (int x = 140; x < 200; ++x) side_left += large.Get(x, y);
    for (int x = 990; x < 1050; ++x) side_left += large.Get(x, y);
  }
  EXPECT_EQ(side_left, 0);
  EXPECT_TRUE(large.Get(500, wave(500) + 41));
  // A side 11° off from border to border, which a line found ends on, goes.
  InkBits tilted = InkBits::Create(400, 300).value();
  for (int y = 0; y < 300; ++y) tilted.Set(80 + y / 5, y), tilted.Set(81 + y / 5, y);
  for (int x = 110; x < 400; ++x) tilted.Set(x, 150), tilted.Set(x, 151);
  ASSERT_TRUE(PaperLines::Find(tilted).value().Clear(tilted, tilted));
  EXPECT_FALSE(tilted.Get(90, 50) || tilted.Get(200, 150));
}

// A name in joined writing: its words' strokes bow along one row between
// letters rising from it (arches 40 px high), and line up, broken, as a
// light rule does. In a writing's panel they are no line; in a seal's,
// whose print its ink joins as well, the row goes.
TEST(CleanupTest, NamesBaselineIsNoLine) {
  const auto row = [](int x) { return static_cast<int>(std::lround(150 + 1.6 * std::sin(x / 4.0))); };
  const auto name = [&](bool writing) {
    InkBits ink = InkBits::Create(400, 240).value();
    const auto dot = [&](double x, double y) {
      for (int d = 0; d < 2; ++d) ink.Set(static_cast<int>(x), static_cast<int>(std::lround(y)) + d);
    };
    for (const auto& [from, to] : {std::pair{20, 190}, {210, 380}}) {
      for (int x = from; x < to; ++x) {
        const int in_letter = (x - from) % 34;
        if (in_letter < 24) dot(x, row(x));  // along the row
        if (in_letter >= 24 && x + 10 < to) {  // an arch up to the next stretch
          for (double t = 0; t < 1; t += 0.02) dot(x + t, 150 - 40 * std::sin(3.14159 * ((in_letter - 24) + t) / 10));
        }
      }
    }
    EXPECT_TRUE(PaperLines::Find(ink, true, writing).value().Clear(ink, ink));
    return ink;
  };
  const InkBits kept = name(true);
  const InkBits taken = name(false);
  for (const int x : {30, 100, 230, 300}) {
    EXPECT_TRUE(kept.Get(x, row(x))) << x;
    EXPECT_FALSE(taken.Get(x, row(x))) << x;
  }
}

// Lines looked for again in the faint ink: a light rule (faint only) is
// another line, and so is a light line over 78 % of the width (a card's edge
// over a desk); a row of strong ink, the rule the first look found and a
// light underline over 70 % of the width (a pencil's) are not.
TEST(CleanupTest, OtherLinesAreLightAndNew) {
  InkBits first = InkBits::Create(400, 200).value(), faint = InkBits::Create(400, 200).value();
  InkBits strong = InkBits::Create(400, 200).value();
  for (int x = 0; x < 400; ++x) {
    for (const int y : {40, 100, 160}) faint.Set(x, y), faint.Set(x, y + 1);
    if (x >= 60 && x < 340) faint.Set(x, 190), faint.Set(x, 191);
    if (x >= 40 && x < 352) faint.Set(x, 70), faint.Set(x, 71);
    strong.Set(x, 100), strong.Set(x, 101), first.Set(x, 160);
  }
  const PaperLines others = PaperLines::Find(first).value().Others(faint, strong).value();
  ASSERT_TRUE(others.Clear(faint, strong));
  EXPECT_FALSE(faint.Get(200, 40) || faint.Get(10, 41) || faint.Get(200, 70));
  EXPECT_TRUE(faint.Get(200, 100) && faint.Get(200, 160) && strong.Get(200, 101) && faint.Get(200, 190));
}

// A margin 11° off, too steep for a line of its own (the sheet's one other
// line, its edge, gives no fan and no right angle), is the sheet's once it
// crosses three light rules that only the faint ink holds; across two it
// stays.
TEST(CleanupTest, SteepMarginAcrossLightRulesGoes) {
  const auto margin = [](int rules) {
    InkBits strong = InkBits::Create(400, 300).value();
    for (int y = 0; y < 300; ++y) strong.Set(60 + y / 5, y), strong.Set(61 + y / 5, y), strong.Set(390, y);
    InkBits faint = strong.Copy().value();
    for (int i = 0; i < rules; ++i) {
      for (int x = 0; x < 400; ++x) faint.Set(x, 40 + 70 * i);
    }
    const PaperLines first = PaperLines::Find(strong).value();
    EXPECT_TRUE(first.Clear(faint, strong));
    EXPECT_TRUE(first.Others(faint, strong).value().Clear(faint, strong));
    return strong.Get(60 + 130 / 5, 130);
  };
  EXPECT_FALSE(margin(4));
  EXPECT_TRUE(margin(2));
}

// Pieces of faint ink that no strong ink reached (stroke width 2): a word
// (a zigzag 2 px thick, as large as half the strong word) becomes ink; a
// straight band of the same size (a rule's leftover) and a blob under a
// third of the strong word do not.
TEST(CleanupTest, FaintWordsWithoutStrongInkAreAdded) {
  InkBits strong = InkBits::Create(200, 100).value();
  InkBits faint = InkBits::Create(200, 100).value();
  const auto zigzag = [](InkBits& ink, int left, int length) {
    for (int x = left; x < left + length; ++x) {
      const int y = 20 + std::abs((x - left) % 20 - 10);
      ink.Set(x, y), ink.Set(x, y + 1);
    }
  };
  zigzag(strong, 0, 120);
  zigzag(faint, 0, 120);
  zigzag(faint, 130, 60);
  for (int x = 20; x < 140; ++x) faint.Set(x, 70);
  for (int y = 85; y < 93; ++y) {
    for (int x = 10; x < 18; ++x) faint.Set(x, y);
  }
  ASSERT_TRUE(AddFaintWords(strong, faint, 2.0));
  EXPECT_TRUE(strong.Get(5, 25) && strong.Get(130, 30) && strong.Get(189, 29));
  EXPECT_FALSE(strong.Get(60, 70) || strong.Get(11, 86));
  // Beside a pen a pixel wide (heavy noise measures a pencil so), strong ink
  // in dashes of 70 px: a faint clump of 30 px is noise, the zigzag a word.
  InkBits flakes = InkBits::Create(200, 100).value();
  InkBits light = InkBits::Create(200, 100).value();
  for (int i = 0; i < 4; ++i) {
    for (int x = 40 * i; x < 40 * i + 35; ++x) flakes.Set(x, 10), flakes.Set(x, 11), light.Set(x, 10), light.Set(x, 11);
  }
  zigzag(light, 130, 60);
  for (int y = 80; y < 85; ++y) {
    for (int x = 50; x < 56; ++x) light.Set(x, y);
  }
  ASSERT_TRUE(AddFaintWords(flakes, light, 1.0));
  EXPECT_TRUE(flakes.Get(130, 30));
  EXPECT_FALSE(flakes.Get(52, 82));
}

// A faint word in straight strokes apart (stroke width 3): four bars 5 px
// apart, each a straight band alone, are one word together and become ink;
// dashes stepping up and down along a row (a soft shadow's edge in pieces)
// are longer than a word and do not. Beside a pen of a speck's width the
// bars stay apart (heavy noise's specks would group too).
TEST(CleanupTest, FaintWordInStrokesApartIsAdded) {
  for (const double pen : {3.0, 2.0}) {
    InkBits strong = InkBits::Create(240, 120).value();
    InkBits faint = InkBits::Create(240, 120).value();
    const auto bar = [&](InkBits& ink, int left, int right, int top) {
      for (int y = top; y < top + 3; ++y) {
        for (int x = left; x < right; ++x) ink.Set(x, y);
      }
    };
    for (int x = 0; x < 120; ++x) {  // the strong word: a zigzag 3 px thick
      const int y = 20 + std::abs(x % 20 - 10);
      for (int t = 0; t < 3; ++t) strong.Set(x, y + t), faint.Set(x, y + t);
    }
    for (int top = 10; top < 40; top += 8) bar(faint, 150, 181, top);
    for (int i = 0; i < 6; ++i) bar(faint, 10 + 34 * i, 40 + 34 * i, i % 2 == 0 ? 80 : 88);
    ASSERT_TRUE(AddFaintWords(strong, faint, pen));
    EXPECT_EQ(strong.Get(160, 11) && strong.Get(170, 35), pen == 3.0) << pen;
    EXPECT_FALSE(strong.Get(20, 81) || strong.Get(60, 89)) << pen;
  }
}

// Three words of three 10 px letters a word's space (12 px) apart, with a
// dash (1 px high) between two words, a form's ruled line taller than the
// rest at their left, a name (a 60 px loop) at their right. Standing on one
// line they are print and go, the dash with them: the name is six times their
// height, no capital of theirs. They go too with the name only 18 px high,
// below them (print as large as the writing), also in eight such lines (too
// many large pieces to compare one by one). They stay with feet that
// wander 2 px up and down (a hand's), beside a 36 px capital, with a 20 px
// capital of their own and no other name, and written with a fine pen
// (stroke width 0.4: letters 25 strokes high); a sloping line 4 px thick
// broken into nine pieces stays too (stroke width 2.5 for the rest). Tilted
// by 14°, or with two descenders 4 px below the line, they go as well, and
// so do three such lines each with an 18 px capital and no name (a letter's),
// and a line of 20 px capitals alone (a heading).
TEST(CleanupTest, PrintIsWhatStandsOnItsLine) {
  enum {
    kPrint, kTilted, kDescenders, kWander, kBrokenLine, kFinePen, kCapital, kAsLarge, kAsLargePage, kOwnCapital,
    kCapitalLines, kHeading
  };
  for (const int row : {kPrint, kTilted, kDescenders, kWander, kBrokenLine, kFinePen, kCapital, kAsLarge, kAsLargePage,
                        kOwnCapital, kCapitalLines, kHeading}) {
    InkBits ink = InkBits::Create(200, 200).value();
    const auto lift = [&](int x) { return row == kTilted ? x / 4 : 0; };
    for (int k = 0; k < (row == kAsLargePage ? 72 : row == kCapitalLines ? 27 : 9); ++k) {
      const int x = 10 + 50 * (k % 9 / 3) + 14 * (k % 3), y = 10 + 20 * (k / 9) + (row == kWander ? 2 * (k % 3 - 1) : 0) + lift(x);
      for (int i = 0; i < 10 && row != kBrokenLine; ++i) {
        ink.Set(x + i, y), ink.Set(x + i, y + 9), ink.Set(x, y + i), ink.Set(x + 9, y + i);
      }
      const bool capital = (row == kOwnCapital && k == 0) || (row == kCapitalLines && k % 9 == 0) || row == kHeading;
      for (int i = row == kCapitalLines ? 2 : 0; i < 10 && capital; ++i) ink.Set(x, y - 10 + i);
      for (int i = 10; i < 14 && row == kDescenders && (k == 1 || k == 4); ++i) ink.Set(x, y + i);
      for (int i = 0; i < 8 && row == kBrokenLine; ++i) {
        for (int t = 0; t < 4; ++t) ink.Set(10 + 9 * k + i, 50 + t - (9 * k + i) / 4);
      }
    }
    for (int x = 50; x < 56; ++x) ink.Set(x, 14 + lift(50));
    for (int y = 2; y < 198; ++y) ink.Set(2, y);
    const bool as_large = row == kAsLarge || row == kAsLargePage;
    const int name = row == kCapital ? 36 : as_large ? 18 : 60, name_top = as_large ? 180 : 5;
    const bool unsigned_letter = row == kOwnCapital || row == kCapitalLines || row == kHeading;
    for (int i = 0; i < name && !unsigned_letter; ++i) {
      ink.Set(152, name_top + i), ink.Set(190, name_top + i), ink.Set(152 + i % 39, name_top);
    }
    ASSERT_TRUE(RemovePrintLines(ink, row == kFinePen ? 0.4 : 2.5));
    EXPECT_EQ(ink.Get(60, 14 + lift(60)), row == kWander || row == kFinePen || row == kCapital || row == kOwnCapital)
        << row;
    EXPECT_EQ(ink.Get(52, 14 + lift(50)),
              row != kPrint && row != kTilted && row != kDescenders && !as_large && row != kCapitalLines &&
                  row != kHeading)
        << row;
    EXPECT_EQ(ink.Get(28, 47), row == kBrokenLine) << row;
    EXPECT_TRUE(ink.Get(2, 100) && (unsigned_letter || ink.Get(152, name_top + 10))) << row;
  }
}

// Six 10 px letters on a line, then past a gap wider than a word's (40 px)
// two more: on the line they go with it; 3 px lower (a hand's, after a
// printed label) they stay. A name (a 60 px loop) lies below.
TEST(CleanupTest, PrintGoesOnAcrossAWideGap) {
  for (const int drop : {0, 3}) {
    InkBits ink = InkBits::Create(240, 120).value();
    const auto letter = [&](int x, int y) {
      for (int i = 0; i < 10; ++i) ink.Set(x + i, y), ink.Set(x + i, y + 9), ink.Set(x, y + i), ink.Set(x + 9, y + i);
    };
    for (int k = 0; k < 6; ++k) letter(10 + 14 * k, 10);
    for (int k = 0; k < 2; ++k) letter(134 + 14 * k, 10 + drop);
    for (int i = 0; i < 60; ++i) ink.Set(60, 50 + i), ink.Set(98, 50 + i), ink.Set(60 + i % 39, 50);
    ASSERT_TRUE(RemovePrintLines(ink, 2.5));
    EXPECT_FALSE(ink.Get(10, 15)) << drop;
    EXPECT_EQ(ink.Get(134, 15 + drop) && ink.Get(148, 15 + drop), drop != 0) << drop;
    EXPECT_TRUE(ink.Get(60, 80)) << drop;
  }
}

// Rows of four 10 px letters (two words) beside a name (a 60 px loop): three
// stacked 10 px apart are a receipt's and go; one alone stays; one with a
// line of six such letters 80 px below goes, but not with a glyph of its
// own 25 px wide (a hand's letters joined). Six letters whose feet take
// turns a pixel lower (a noisy picture's) go 10 px above such a line, and
// stay alone.
TEST(CleanupTest, RowsGoBesideOtherPrint) {
  enum { kStacked, kAlone, kSized, kSizedWide, kLoose, kLooseAlone };
  for (const int rows : {kStacked, kAlone, kSized, kSizedWide, kLoose, kLooseAlone}) {
    InkBits ink = InkBits::Create(240, 200).value();
    const auto letter = [&](int x, int y, int wide) {
      for (int i = 0; i < wide; ++i) ink.Set(x + i, y), ink.Set(x + i, y + 9);
      for (int i = 0; i < 10; ++i) ink.Set(x, y + i), ink.Set(x + wide - 1, y + i);
    };
    const bool loose = rows >= kLoose;
    for (int y = 10; y < (rows == kStacked ? 60 : 20) && !loose; y += 20) {
      for (const int x : {10, 24, 50}) letter(x, y, 10);
      letter(64, y, rows == kSizedWide ? 25 : 10);
    }
    for (int k = 0; k < 6 && loose; ++k) letter(10 + 14 * k, 80 + k % 2, 10);
    for (int k = 0; k < 6 && rows >= kSized && rows != kLooseAlone; ++k) letter(10 + 14 * k, 100, 10);
    for (int i = 0; i < 60; ++i) ink.Set(150, 120 + i), ink.Set(190, 120 + i), ink.Set(150 + i % 41, 120);
    ASSERT_TRUE(RemovePrintLines(ink, 2.5));
    const int y = loose ? 85 : 15;
    EXPECT_EQ(ink.Get(10, y) && ink.Get(24, y), rows == kAlone || rows == kSizedWide || rows == kLooseAlone) << rows;
    EXPECT_TRUE(ink.Get(150, 150)) << rows;
  }
}

// Six 20 px letters whose feet take turns a pixel lower, beside a name (a
// 60 px loop): drawn with a 5 px stroke (a picture at twice the scale, its
// edges blurred over two pixels) they stand on their line and go; with a
// 2.5 px stroke they stray as a hand's letters do and stay.
TEST(CleanupTest, PrintStraysUpToAThirdOfItsStroke) {
  for (const double stroke : {5.0, 2.5}) {
    InkBits ink = InkBits::Create(240, 200).value();
    for (int k = 0; k < 6; ++k) {
      const int x = 10 + 28 * k, y = 20 + k % 2;
      for (int i = 0; i < 20; ++i) ink.Set(x + i, y), ink.Set(x + i, y + 19), ink.Set(x, y + i), ink.Set(x + 19, y + i);
    }
    for (int i = 0; i < 60; ++i) ink.Set(60, 100 + i), ink.Set(120, 100 + i), ink.Set(60 + i, 100);
    ASSERT_TRUE(RemovePrintLines(ink, stroke));
    EXPECT_EQ(ink.Get(10, 30), stroke == 2.5) << stroke;
    EXPECT_TRUE(ink.Get(60, 130)) << stroke;
  }
}

// A caption before the name: six 10 px letters on a line, 41 px left of the
// name's 24 px piece in their rows (within a word's space of its height, not
// of theirs). They are a row of their own and go; the name stays.
TEST(CleanupTest, CaptionBeforeTheNameGoes) {
  InkBits ink = InkBits::Create(240, 200).value();
  for (int k = 0; k < 6; ++k) {
    const int x = 10 + 14 * k;
    for (int i = 0; i < 10; ++i) ink.Set(x + i, 130), ink.Set(x + i, 139), ink.Set(x, 130 + i), ink.Set(x + 9, 130 + i);
  }
  for (int i = 0; i < 24; ++i) ink.Set(130, 120 + i), ink.Set(170, 120 + i), ink.Set(130 + i, 120);
  ASSERT_TRUE(RemovePrintLines(ink, 2.5));
  EXPECT_FALSE(ink.Get(10, 135) || ink.Get(80, 135));
  EXPECT_TRUE(ink.Get(130, 130) && ink.Get(170, 130));
}

// A line of eight "=" (two bars 16 × 2, 3 px apart, 10 px between glyphs;
// stroke width 2.5) under a name: no bar is a glyph on its own, grown they
// join into glyphs, and the line goes; the name stays.
TEST(CleanupTest, PrintInPiecesGoesAsItsGlyphs) {
  InkBits ink = InkBits::Create(240, 200).value();
  for (int k = 0; k < 8; ++k) {
    for (int x = 10 + 26 * k; x < 26 + 26 * k; ++x) {
      for (const int y : {150, 151, 155, 156}) ink.Set(x, y);
    }
  }
  for (int i = 0; i < 60; ++i) ink.Set(40, 20 + i), ink.Set(100, 20 + i), ink.Set(40 + i, 20);
  ASSERT_TRUE(RemovePrintLines(ink, 2.5));
  EXPECT_FALSE(ink.Get(15, 150) || ink.Get(200, 156));
  EXPECT_TRUE(ink.Get(40, 50) && ink.Get(70, 20));
}

// On grainy paper a piece of strong ink stays only with a pixel in it a
// quarter darker than the edge (here 100); on other paper every piece stays.
TEST(CleanupTest, GrainyPaperKeepsOnlySeededPieces) {
  for (const bool grainy : {false, true}) {
    InkBits ink = InkBits::Create(40, 8).value();
    GrainSeeds seeds = GrainSeeds::For(40, 8, grainy, 80).value();
    for (int x = 0; x < 40; ++x) {
      for (int y = 2; y < 5 && x % 20 < 10; ++y) {  // two pieces, x 0–9 and 20–29
        ink.Set(x, y);
        seeds.Mark(x, y, x == 25 ? 100 : 99);
      }
    }
    ASSERT_TRUE(seeds.KeepSeeded(ink));
    EXPECT_EQ(ink.Get(3, 3), !grainy);
    EXPECT_TRUE(ink.Get(21, 4) && ink.Get(25, 2));
  }
}

// A pencil line 10 px tall: 2 px flakes (darkness 90, the ink found) on a
// checkerboard, paper at 30 between them. Its grain is the 2 px between the
// flakes, and its whole track becomes ink, not a row more. A solid stroke
// with a halo (40) has no grain and stays as it was.
TEST(CleanupTest, GrainyTrackFillsAPencilLine) {
  for (const bool grainy : {true, false}) {
    InkBits ink = InkBits::Create(60, 30).value();
    std::vector<uint8_t> dark(60 * 30, 0);
    for (int y = 9; y < 21; ++y) {
      for (int x = 5; x < 55; ++x) {
        const bool track = y >= 10 && y < 20, flake = !grainy || (x / 2 + y / 2) % 2 == 0;
        dark[y * 60 + x] = !track ? (grainy ? 0 : 40) : flake ? 90 : 30;
        if (track && flake) ink.Set(x, y);
      }
    }
    const DarknessRows rows = [&](int32_t y, int32_t from, int32_t) { return &dark[y * 60 + from]; };
    const int32_t grain = InkGrain(ink, 4, 16, rows);
    EXPECT_EQ(grain, grainy ? 2 : 0);
    ASSERT_TRUE(AddGrainyTrack(ink, grain, 4, 16, rows));
    for (int y = 7; y < 23; ++y) EXPECT_EQ(ink.Get(30, y) && ink.Get(32, y), y >= 10 && y < 20) << y;
  }
}

// Sensor noise over a shaded square (tone 30) read as flakes, one pixel in 36
// (90): the track would fill the square, 32 times the flakes; only they stay.
TEST(CleanupTest, GrainyTrackSpreadsNoWiderThanAStroke) {
  InkBits ink = InkBits::Create(60, 60).value();
  std::vector<uint8_t> dark(60 * 60, 0);
  for (int y = 10; y < 50; ++y) {
    for (int x = 10; x < 50; ++x) {
      const bool flake = x % 6 == 4 && y % 6 == 4;
      dark[y * 60 + x] = flake ? 90 : 30;
      if (flake) ink.Set(x, y);
    }
  }
  const DarknessRows rows = [&](int32_t y, int32_t from, int32_t) { return &dark[y * 60 + from]; };
  const int32_t grain = InkGrain(ink, 4, 16, rows);
  ASSERT_GE(grain, 2);
  ASSERT_TRUE(AddGrainyTrack(ink, grain, 4, 16, rows));
  EXPECT_TRUE(ink.Get(16, 16) && ink.Get(46, 46));
  EXPECT_FALSE(ink.Get(18, 16) || ink.Get(30, 30));
}

// Three rules, the middle one left as dashes (2 px flakes 2 px apart, the
// paper at 30 between them) as their clearing leaves a light rule, and a
// pencil line of the same grain between two rules. Off the lines, the
// pencil's track is filled and the dashes stay dashes; a track over both
// would run along the rule as well.
TEST(CleanupTest, GrainyTrackLeavesWhatALineLeft) {
  constexpr int kW = 200, kH = 100;
  InkBits rules = InkBits::Create(kW, kH).value();
  for (const int y : {20, 50, 80}) {
    for (int x = 0; x < kW; ++x) rules.Set(x, y), rules.Set(x, y + 1);
  }
  const PaperLines lines = PaperLines::Find(rules).value();
  ASSERT_FALSE(lines.empty());
  for (const bool off_lines : {false, true}) {
    InkBits ink = InkBits::Create(kW, kH).value();
    std::vector<uint8_t> dark(kW * kH, 0);
    const auto grainy = [&](int x, int y) {
      const bool flake = (x / 2 + y / 2) % 2 == 0;
      dark[y * kW + x] = flake ? 90 : 30;
      if (flake) ink.Set(x, y);
    };
    for (int x = 0; x < kW; ++x) grainy(x, 50), grainy(x, 51);
    for (int y = 58; y < 72; ++y) {
      for (int x = 90; x < 100; ++x) grainy(x, y);
    }
    const DarknessRows rows = [&](int32_t y, int32_t from, int32_t) { return &dark[y * kW + from]; };
    if (off_lines) {
      ASSERT_TRUE(AddGrainyTrackOffLines(ink, {&lines}, 2, 4, 16, rows));
    } else {
      ASSERT_TRUE(AddGrainyTrack(ink, InkGrain(ink, 4, 16, rows), 4, 16, rows));
    }
    EXPECT_TRUE(ink.Get(92, 60) && ink.Get(94, 60)) << off_lines;  // the pencil's track, flake and paper
    EXPECT_EQ(ink.Get(24, 50) && ink.Get(25, 50), !off_lines);    // the paper between two dashes
  }
}

// A stroke 5 px wide (darkness 150) with a rim a pixel wide either side
// (60), a shadow's wedge at it (60, 20 px deep) and a hairline off it (60, a
// pixel wide): cut halfway (105), the wedge goes beyond 3 px of the stroke
// where it lies beside the shadow taken; the stroke, its rims and the
// hairline stay.
TEST(CleanupTest, ShadowRemnantsGoAndHairlinesStay) {
  constexpr int kW = 80, kH = 60;
  InkBits ink = InkBits::Create(kW, kH).value();
  std::vector<uint8_t> dark(kW * kH, 0);
  const auto put = [&](int x, int y, uint8_t d) { dark[y * kW + x] = d, ink.Set(x, y); };
  for (int y = 0; y < kH; ++y) {
    for (int x = 19; x < 26; ++x) put(x, y, x == 19 || x == 25 ? 60 : 150);
  }
  for (int y = 10; y < 30; ++y) {
    for (int x = 26; x < 26 + (30 - y); ++x) put(x, y, 60);
  }
  for (int x = 0; x < 19; ++x) put(x, 40, 60);
  const DarknessRows rows = [&](int32_t y, int32_t from, int32_t) { return &dark[y * kW + from]; };
  InkBits beside = InkBits::Create(kW, kH).value();
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < kW; ++x) beside.Set(x, y);
  }
  ASSERT_TRUE(RemoveShadowRemnants(ink, beside, 105, 3, rows));
  EXPECT_FALSE(ink.Get(35, 14));                                       // the wedge beside the shadow
  EXPECT_TRUE(ink.Get(31, 22));                                        // and away from it
  EXPECT_TRUE(ink.Get(22, 20) && ink.Get(25, 50) && ink.Get(27, 20));  // stroke, rim, wedge by the stroke
  EXPECT_TRUE(ink.Get(5, 40) && ink.Get(15, 40));                      // the hairline
}

// The running maxima along rows and down columns against a plain window, on
// grids shorter and taller than the window, and radii whose first rows'
// windows are shorter than the doubled ones; and the running extreme in
// blocks (minima, two channels a node), whose windows near the ends lie in one block.
TEST(CleanupTest, WindowMaximaMatchAPlainWindow) {
  for (const auto& [w, h, radius] : {std::tuple{7, 1, 0}, {9, 40, 20}, {5, 13, 31}, {30, 70, 3}, {4, 100, 12}}) {
    Buffer<uint8_t> grid = Buffer<uint8_t>::Filled(static_cast<size_t>(w * h)).value();
    for (int i = 0; i < w * h; ++i) grid[i] = static_cast<uint8_t>((static_cast<uint32_t>(i) * 2654435761u) >> 24);
    const auto plain = [&](int x, int y, bool down) {
      uint8_t m = 0;
      for (int d = -radius; d <= radius; ++d) {
        const int xx = down ? x : x + d, yy = down ? y + d : y;
        if (xx >= 0 && yy >= 0 && xx < w && yy < h) m = std::max(m, grid[yy * w + xx]);
      }
      return m;
    };
    RunningMax running = RunningMax::Create(w, radius).value();
    std::vector<uint8_t> row(w);
    for (int y = 0; y < h; ++y) {
      running.Run([&](int32_t x) { return grid[y * w + x]; }, row.data());
      for (int x = 0; x < w; ++x) EXPECT_EQ(row[x], plain(x, y, false)) << w << " " << radius;
    }
    Buffer<uint8_t> down = Buffer<uint8_t>::Copy(grid).value(), start;
    ASSERT_TRUE(ColumnMax(down, w, h, radius, start));
    for (int i = 0; i < w * h; ++i) EXPECT_EQ(down[i], plain(i % w, i / w, true)) << h << " " << radius << " " << i;
    for (const bool along_rows : {true, false}) {
      Buffer<uint8_t> pairs = Buffer<uint8_t>::Filled(static_cast<size_t>(2 * w * h)).value();
      for (int i = 0; i < w * h; ++i) pairs[2 * i] = grid[i], pairs[2 * i + 1] = static_cast<uint8_t>(255 - grid[i]);
      const auto smaller = [](uint8_t a, uint8_t b) { return std::min(a, b); };
      ASSERT_TRUE(RunningExtreme(pairs, w, h, 2, along_rows, radius, smaller));
      for (int i = 0; i < w * h; ++i) {
        EXPECT_EQ(pairs[2 * i + 1], 255 - plain(i % w, i / w, !along_rows)) << w << " " << h << " " << radius;
      }
    }
  }
}

// Ink grown by a square against every pixel's own look, with ink at the
// borders and radii past them.
TEST(CleanupTest, GrownInkIsTheSquareAroundEachPixel) {
  InkBits ink = InkBits::Create(30, 20).value();
  for (const auto& [x, y] : {std::pair{0, 0}, {29, 1}, {12, 9}, {13, 9}, {3, 19}, {28, 17}}) ink.Set(x, y);
  for (const int radius : {0, 2, 7, 40}) {
    const InkBits grown = Grown(ink, radius).value();
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 30; ++x) {
        bool near = false;
        for (int yy = std::max(0, y - radius); yy <= std::min(19, y + radius); ++yy) {
          for (int xx = std::max(0, x - radius); xx <= std::min(29, x + radius); ++xx) near = near || ink.Get(xx, yy);
        }
        EXPECT_EQ(grown.Get(x, y), near) << radius << " " << x << " " << y;
      }
    }
  }
}

// Paper of noise 0…8 (a fixed hash) with a 6 px stroke along rows 27–32,
// columns 10–109. A stroke 8 over the paper, found as three flakes, is
// followed end to end and no wider than its rows and a pixel either side,
// nor past its ends; one at 40 with a rim of 20, found whole, gains nothing
// (its blurred rim is not ink); a speck found in a faint blot grows no clump.
TEST(CleanupTest, SegmentTrackFollowsAFaintStroke) {
  struct Case {
    int stroke, rim;
    bool whole, speck;
  };
  for (const Case c : {Case{8, 0, false, false}, Case{40, 20, true, false}, Case{0, 0, false, true}}) {
    constexpr int kW = 120, kH = 60;
    InkBits ink = InkBits::Create(kW, kH).value();
    std::vector<uint8_t> dark(kW * kH);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const bool on = x >= 10 && x < 110 && y >= 27 && y < 33, beside = x >= 10 && x < 110 && (y == 26 || y == 33);
        const uint32_t hash = (static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u) * 2654435761u;
        dark[y * kW + x] = static_cast<uint8_t>((hash >> 16) % 9 + (on ? c.stroke : beside ? c.rim : 0));
        if (c.speck && std::abs(x - 60) < 4 && std::abs(y - 30) < 4) dark[y * kW + x] += 8;
        if ((on && (c.whole || (!c.speck && (x == 20 || x == 60 || x == 100) && y < 29))) || (c.speck && x == 60 && y == 30)) {
          ink.Set(x, y);
        }
      }
    }
    const DarknessRows rows = [&](int32_t y, int32_t from, int32_t) { return &dark[y * kW + from]; };
    const InkBits added = FindSegmentTrack(ink, 1, rows).value();
    int inside = 0, outside = 0;
    ForEachInk(added, [&](int32_t x, int32_t y) { ++(x >= 9 && x <= 110 && y >= 26 && y <= 33 ? inside : outside); });
    EXPECT_EQ(outside, 0) << c.stroke;
    if (c.whole || c.speck) EXPECT_EQ(inside, 0) << c.stroke;
    else EXPECT_GE(inside, 100 * 6 * 8 / 10);  // at least 80 % of the stroke
  }
}

// Paper of noise 0…8 with a pencil of tone 10 in two bands 8 px tall
// (rows 18–25 and 31–38), found as 2 × 2 flakes every 5 px. Both tracks are
// filled between their flakes, nothing past them; the paper between the
// bands, whose segments reach into both, stays paper where no band is next
// to it (rows 27–29).
TEST(CleanupTest, SegmentTrackFillsBetweenFlakes) {
  constexpr int kW = 120, kH = 56;
  InkBits ink = InkBits::Create(kW, kH).value();
  std::vector<uint8_t> dark(kW * kH);
  const auto band = [](int x, int y) { return x >= 10 && x < 110 && ((y >= 18 && y < 26) || (y >= 31 && y < 39)); };
  int gaps = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const bool flake = band(x, y) && x % 5 < 2 && (y + 5 * (x / 5)) % 4 < 2;
      const uint32_t hash = (static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u) * 2654435761u;
      dark[y * kW + x] = static_cast<uint8_t>((hash >> 16) % 9 + (flake ? 40 : band(x, y) ? 10 : 0));
      if (flake) ink.Set(x, y);
      gaps += band(x, y) && !flake;
    }
  }
  const DarknessRows rows = [&](int32_t y, int32_t from, int32_t) { return &dark[y * kW + from]; };
  const InkBits added = FindSegmentTrack(ink, 1, rows).value();
  int in_bands = 0, between = 0, elsewhere = 0;
  ForEachInk(added, [&](int32_t x, int32_t y) {
    const bool beside = x >= 9 && x <= 110 && (band(x, y - 1) || band(x, y + 1) || band(x - 1, y) || band(x + 1, y));
    ++(band(x, y) ? in_bands : x >= 10 && x < 110 && y >= 27 && y < 30 ? between : beside ? in_bands : elsewhere);
  });
  EXPECT_GE(in_bands, gaps * 8 / 10);
  EXPECT_LE(between, 300 / 50);  // of 300: the paper's noise at most
  EXPECT_EQ(elsewhere, 0);
}

// Two 9 px strokes down, cut into 4 px pieces by rows of print: the pieces of
// one begin on the print, those of the other end on it, and neither counts.
TEST(CleanupTest, StrokeWidthBesidePrint) {
  InkBits ink = InkBits::Create(40, 64).value(), print = InkBits::Create(40, 64).value();
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (y % 8 < 2) print.Set(x, y);
      else if ((x >= 5 && x < 14 && y % 8 < 6) || (x >= 25 && x < 34 && y % 8 >= 4)) ink.Set(x, y);
    }
  }
  EXPECT_EQ(std::pair(StrokeWidth(ink), StrokeWidthBeside(ink, print)), std::pair(4.0, 9.0));
}

// Grey paper 230 with a hard grey shadow (150) from (120, 60) to the corner,
// a faint stroke 4 px above it, a dark stroke in it and a red filled blob,
// all taken for ink: the shadow's rim goes (along its edge and in its corner),
// the strokes and the red blob's rim stay.
TEST(CleanupTest, ShadowStepsAreCleared) {
  PackedDib picture = CreateDib(240, 200, 24, 0, PixelFill::kNone).value();
  const DibRows rows = DibRows::Of(picture).value();
  InkBits ink = InkBits::Create(240, 200).value();
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 240; ++x) {
      const bool shadow = x >= 120 && y >= 60, blob = x >= 20 && x < 80 && y >= 120 && y < 180;
      const uint8_t grey = (y >= 100 && y < 103 && x > 130) ? 30 : (y >= 53 && y < 56) ? 170 : shadow ? 150 : 230;
      uint8_t* p = rows.TopDownRow(y).data() + 3 * x;
      p[0] = p[1] = blob ? 120 : grey;
      p[2] = blob ? 220 : grey;
      if (blob || grey < 200) ink.Set(x, y);
    }
  }
  const ConstDibRows in = ConstDibRows::Of(picture).value();
  RemoveShadowSteps(ink, in, PaperLight::Estimate(in, 2).value(), 12);
  EXPECT_FALSE(ink.Get(180, 61) || ink.Get(180, 63) || ink.Get(122, 62) || ink.Get(121, 140)) << "shadow's rim";
  EXPECT_TRUE(ink.Get(60, 54) && ink.Get(180, 54) && ink.Get(180, 55) && ink.Get(200, 101)) << "strokes";
  EXPECT_TRUE(ink.Get(21, 121) && ink.Get(50, 121) && ink.Get(78, 150)) << "red blob";
}

// A finger (skin, from the top border) whose rim darkens over its last 10 px
// and with a darker crease inside it, a brown stroke (skin's hue) beside it,
// a blue one touching its tip, and a red seal's bar (on the page) under a
// dark stroke, all taken for ink: the rim and the crease go, the strokes
// stay, the one over the seal too.
TEST(CleanupTest, ObjectRimsAreCleared) {
  const auto finger = [](int x, int y) { return std::min({x - 60, 140 - x, 120 - y}); };  // > 0 inside
  const auto stroke = [](int x, int y) { return (x >= 143 && x < 146 && y < 180) || (y >= 120 && y < 123); };
  const auto bar = [](int x, int y) { return x >= 20 && x < 50 && y >= 135 && y < 190; };
  InkBits ink = InkBits::Create(240, 200).value();
  const PackedDib picture = test::MakePicture24(240, 200, [&](int x, int y) {
    if (stroke(x, y) || (bar(x, y) && y >= 160 && y < 163)) ink.Set(x, y);
    if (stroke(x, y)) return x >= 143 && x < 146 ? Bgr{40, 60, 110} : Bgr{120, 60, 40};
    if (bar(x, y)) return y >= 160 && y < 163 ? Bgr{10, 10, 90} : Bgr{40, 40, 200};
    if (finger(x, y) <= 0) return Bgr{230, 232, 235};
    const bool crease = y >= 60 && y < 62 && x >= 80 && x < 120;
    if (finger(x, y) <= 6 || crease) ink.Set(x, y);
    const double shade = crease ? 0.4 : std::min(1.0, 0.5 + 0.05 * finger(x, y));
    return Bgr{static_cast<uint8_t>(147 * shade), static_cast<uint8_t>(173 * shade), static_cast<uint8_t>(219 * shade)};
  });
  const ConstDibRows in = ConstDibRows::Of(picture).value();
  ASSERT_TRUE(RemoveObjectRims(ink, in, PaperLight::Estimate(in, 2).value()));
  EXPECT_FALSE(ink.Get(100, 118) || ink.Get(61, 50) || ink.Get(138, 100)) << "rim";
  EXPECT_FALSE(ink.Get(100, 61)) << "crease";
  EXPECT_TRUE(ink.Get(144, 50) && ink.Get(100, 122) && ink.Get(30, 161)) << "strokes";
}

// A desk below the sheet over a third of the picture, its grain taken for
// ink, and a stroke on the page: the grain goes. Not so when the ground is
// lighter than the page (a mount), or when the writing is of its colour (the
// region may be the page itself).
TEST(CleanupTest, LargeObjectIsTakenOnlyWhenItCanBeADesk) {
  struct Case {
    Bgr page, desk, grain, pen;
    bool grain_goes;
  };
  const Bgr white{230, 230, 230}, wood{60, 110, 170}, dark_wood{30, 55, 85};
  for (const Case& c : {Case{white, wood, dark_wood, Bgr{110, 40, 40}, true},
                        Case{Bgr{110, 150, 190}, Bgr{240, 240, 240}, test::Grey(150), Bgr{40, 40, 160}, false},
                        Case{white, wood, dark_wood, Bgr{35, 60, 100}, false}}) {
    InkBits ink = InkBits::Create(240, 200).value();
    const PackedDib picture = test::MakePicture24(240, 200, [&](int x, int y) {
      const bool grain = y >= 160 && y < 163, pen = x >= 100 && x < 103 && y >= 20 && y < 110;
      if (grain || pen) ink.Set(x, y);
      return pen ? c.pen : y < 130 ? c.page : grain ? c.grain : c.desk;
    });
    const ConstDibRows in = ConstDibRows::Of(picture).value();
    ASSERT_TRUE(RemoveObjectRims(ink, in, PaperLight::Estimate(in, 2).value()));
    EXPECT_EQ(ink.Get(50, 161), !c.grain_goes) << "grain, desk red " << int{c.desk.red} << ", pen red " << int{c.pen.red};
    EXPECT_TRUE(ink.Get(101, 60)) << "stroke";
  }
}

// A desk paling under a glare toward the page's colour (its tint under the
// object's least chromaticity) is still the desk: its grain goes there too.
TEST(CleanupTest, DeskPalingUnderAGlareIsTheDesk) {
  const Bgr white{230, 230, 230}, wood{60, 110, 170}, pale_wood{179, 199, 222}, dark_wood{30, 55, 85};
  InkBits ink = InkBits::Create(240, 200).value();
  const PackedDib picture = test::MakePicture24(240, 200, [&](int x, int y) {
    const bool grain = y >= 160 && y < 163, pen = x >= 100 && x < 103 && y >= 20 && y < 110;
    if (grain || pen) ink.Set(x, y);
    return pen ? Bgr{110, 40, 40} : y < 130 ? white : grain ? dark_wood : x < 120 ? wood : pale_wood;
  });
  const ConstDibRows in = ConstDibRows::Of(picture).value();
  ASSERT_TRUE(RemoveObjectRims(ink, in, PaperLight::Estimate(in, 2).value()));
  EXPECT_FALSE(ink.Get(50, 161) || ink.Get(200, 161));
  EXPECT_TRUE(ink.Get(101, 60));
}

// With no ink on the page, a large region may be the page itself (a kraft
// card on a white table): a short stroke on it stays, the desk's grain
// spread over it goes; told that an earlier look took the region for a
// desk, the stroke goes too.
TEST(CleanupTest, LargeObjectBesideABlankPageIsADeskByItsGrain) {
  const Bgr white{230, 230, 230}, wood{60, 110, 170}, dark_wood{30, 55, 85};
  for (const bool grain : {true, false}) {
    for (const bool desk_known : {false, true}) {
      InkBits ink = InkBits::Create(240, 200).value();
      const PackedDib picture = test::MakePicture24(240, 200, [&](int x, int y) {
        const bool dark = y >= 130 && (grain ? (y - 130) % 8 < 2 : x >= 100 && x < 103 && y >= 150 && y < 190);
        if (dark) ink.Set(x, y);
        return y < 130 ? white : dark ? dark_wood : wood;
      });
      const ConstDibRows in = ConstDibRows::Of(picture).value();
      const bool desk = RemoveObjectRims(ink, in, PaperLight::Estimate(in, 2).value(), desk_known).value();
      EXPECT_EQ(desk, grain || desk_known) << "grain " << grain << ", known " << desk_known;
      EXPECT_EQ(ink.Get(grain ? 50 : 101, grain ? 154 : 170), !desk) << "grain " << grain << ", known " << desk_known;
    }
  }
}

// A dark desk beside the sheet, met at the sheet's edge: the ink read in
// its grain goes, also its last pixels, in a grid node whose paper the page
// lifts (the edge's fringe); the page's stays. So does a desk round a
// receipt that leaves the desk 60 % of the picture. A shadow as dark that
// fades into the page keeps its ink.
TEST(CleanupTest, InkBeyondTheSheetsEdgeGoes) {
  for (const int sheet : {60, 180}) {
    for (const bool soft : {false, true}) {
      const PackedDib picture = test::MakePicture24(300, 200, [&](int x, int) {
        const int page = 210;
        return test::Grey(soft ? std::min(page, 35 + x) : x < sheet ? 35 : page);
      });
      const ConstDibRows in = ConstDibRows::Of(picture).value();
      const PaperLight light = PaperLight::Estimate(in, 2).value();
      const int fringe = sheet - 2, inside = sheet + 3 * light.cell();
      InkBits ink = InkBits::Create(300, 200).value();
      ink.Set(30, 100), ink.Set(250, 100), ink.Set(fringe, 100), ink.Set(inside, 100);
      ASSERT_TRUE(RemoveInkBeyondTheSheet(ink, light));
      EXPECT_EQ(ink.Get(30, 100) || ink.Get(fringe, 100), soft) << "soft " << soft << " sheet from " << sheet;
      EXPECT_TRUE(ink.Get(250, 100) && ink.Get(inside, 100)) << "soft " << soft << " sheet from " << sheet;
    }
  }
}

// Faint ink added after the strong: a light stroke (200 on paper 230) and
// the band just inside a shadow's edge (160 from row 100 down), where the
// smooth paper estimate still lies above the shadow. The band goes, the
// stroke and the ink that was there before stay; also in a noisy shadow
// (every fifth pixel beyond the band as light as the paper): read on 3 × 3
// means, one pixel's noise does not pass for paper.
TEST(CleanupTest, FaintStepsAreCleared) {
  for (const bool noisy : {false, true}) {
    const PackedDib picture = test::MakePicture24(240, 200, [&](int x, int y) {
      if (noisy && y >= 105 && (x + 2 * y) % 5 == 0) return test::Grey(230);
      return test::Grey(y >= 100 ? 160 : y >= 40 && y < 43 && x >= 20 ? 200 : 230);
    });
    InkBits ink = InkBits::Create(240, 200).value();
    for (int x = 100; x < 103; ++x) ink.Set(x, 102);
    const FaintSteps before = FaintSteps::Before(ink).value();
    for (int x = 0; x < 240; ++x) {
      for (int y = 100; y < 105; ++y) ink.Set(x, y);
      for (int y = 40; y < 43 && x >= 20; ++y) ink.Set(x, y);
    }
    const ConstDibRows in = ConstDibRows::Of(picture).value();
    ASSERT_TRUE(before.Clear(ink, in, PaperLight::Estimate(in, 2).value(), 4));
    EXPECT_FALSE(ink.Get(50, 101) || ink.Get(200, 104)) << "shadow's edge, noisy " << noisy;
    EXPECT_TRUE(ink.Get(50, 41) && ink.Get(101, 102)) << "strokes, noisy " << noisy;
  }
}

struct TrimCase { int width, height; PixelRect ink, kept; };

// The margin is 2 % of the ink's larger side, at least 2 pixels, inside the picture.
TEST(CleanupTest, TrimKeepsTheInkAndItsMargin) {
  const std::tuple<int, int, PixelRect, PixelRect> cases[] = {  // width, height, ink, kept
      {100, 80, {30, 20, 60, 50}, {28, 18, 62, 52}}, {400, 300, {100, 50, 300, 250}, {96, 46, 304, 254}},
      {50, 40, {0, 0, 10, 10}, {0, 0, 12, 12}},      {60, 40, {55, 1, 60, 39}, {53, 0, 60, 40}},
      {30, 20, {0, 0, 0, 0}, {0, 0, 30, 20}},  // no ink: nothing cut
  };
  for (const auto& [width, height, ink, expected] : cases) {
    const PackedDib picture = test::MakePicture24(width, height, [&](int x, int y) {
      const bool inside = x >= ink.left && x < ink.right && y >= ink.top && y < ink.bottom;
      return inside ? test::Grey(20) : test::Grey(static_cast<uint8_t>(240 + x % 3 * 5));
    });
    const PixelRect kept = FindInkRect(picture).value();
    EXPECT_EQ(std::tie(kept.left, kept.top, kept.right, kept.bottom),
              std::tie(expected.left, expected.top, expected.right, expected.bottom));
    const PackedDib trimmed = ApplyCleanup(picture, CleanupLevel::kTrim).value();
    ASSERT_EQ(std::pair(trimmed.Width(), trimmed.Height()), std::pair(kept.right - kept.left, kept.bottom - kept.top));
    const int x = trimmed.Width() - 1, y = trimmed.Height() - 1;  // a corner and the middle
    EXPECT_EQ(test::PixelAt(trimmed, x, y), test::PixelAt(picture, x + kept.left, y + kept.top));
    EXPECT_EQ(test::PixelAt(trimmed, x / 2, y / 2), test::PixelAt(picture, x / 2 + kept.left, y / 2 + kept.top));
  }
}

// On clean scans the photo clean-up finds the very ink of today's reduction,
// so its output differs from trim's only in the pixels' shades.
TEST(CleanupTest, CleanScansChangeOnlyInTheirMargins) {
  for (const char* name : {"signature.bmp", "seal.bmp"}) {
    const PackedDib scan = Read24(test::SourceDir() / "resources/samples" / name);
    const auto two_levels = [&](CleanupLevel level) {
      return ReduceToTwoLevels(ApplyCleanup(scan, level).value(), kBlack, kWhite).value();
    };
    EXPECT_TRUE(std::ranges::equal(two_levels(CleanupLevel::kTrim).Bytes(), two_levels(CleanupLevel::kPhoto).Bytes()))
        << name;
  }
}

}  // namespace
}  // namespace quorel
