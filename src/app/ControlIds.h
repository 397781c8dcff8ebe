// Quorel — SPDX-License-Identifier: MIT
#pragma once

namespace quorel {

// The main window's controls and commands by their dialog item ids; the hint
// table, the tests and the commands use the same numbers.
namespace control {
inline constexpr int kAlignLeft = 1003;
inline constexpr int kAlignCentre = 1004;
inline constexpr int kSignatureSwatch = 1008;
inline constexpr int kSealSwatch = 1009;
inline constexpr int kAlignRight = 1010;
inline constexpr int kSignatureEnabled = 1011;
inline constexpr int kSealEnabled = 1016;
inline constexpr int kSignaturePicture = 1017;
inline constexpr int kSealPicture = 1018;
inline constexpr int kCopy = 1019;
inline constexpr int kSignatureReadout = 1020;
inline constexpr int kSealReadout = 1021;
inline constexpr int kPreview = 1022;
inline constexpr int kSignatureScale = 1023;
inline constexpr int kSaveText = 1024;
inline constexpr int kSealScale = 1025;
inline constexpr int kSignatureEdit = 1026;
inline constexpr int kSealEdit = 1027;
inline constexpr int kSettings = 1028;
inline constexpr int kHelp = 1029;
inline constexpr int kExport = 1030;
inline constexpr int kSaveMail = 1031;
inline constexpr int kCopyPicture = 1032;
}  // namespace control

// The message the sibling program sends when a picture waits in the transfer
// file, and the one that registers a window with it.
inline constexpr int kPicturePushedMessage = 1098;
inline constexpr int kRegisterMessage = 1103;

}  // namespace quorel
