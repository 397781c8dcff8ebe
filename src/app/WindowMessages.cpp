// Quorel — SPDX-License-Identifier: MIT
#include "app/WindowMessages.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "app/platform/MessageBox.h"
#include "codec/PictureRefusal.h"
#include "common/Messages.h"

namespace quorel {
namespace {

QString Quoted(const QString& path) {
  return QStringLiteral("「%1」").arg(QDir::toNativeSeparators(path));
}

// Why a picture file was refused, and what to do instead: a file that cannot
// be read may be missing or closed to us rather than broken.
std::pair<QString, QString> RefusalReason(const QString& path, Status status) {
  const RefusalKind kind = RefusalKindOf(status);
  if (kind == RefusalKind::kUnreadable) {
    const QFileInfo file(path);
    if (!file.exists()) {
      return {QStringLiteral("ファイルが見つかりません．"),
              QStringLiteral("ファイルの場所と名前を確かめてください．")};
    }
    if (!file.isReadable()) {
      return {QStringLiteral("ファイルを読む権限がありません．"),
              QStringLiteral("ファイルの権限を確かめてください．")};
    }
  }
  const RefusalText refusal = RefusalTextOf(kind);
  return {QString::fromStdString(refusal.reason), QString::fromStdString(refusal.advice)};
}

QString WriteErrorReason(int error_number) {
  switch (error_number) {
    case ENOSPC:
    case EDQUOT:
      return QStringLiteral("ディスクの空きが足りません．空きを作ってから、もう一度保存してください．");
    case EACCES:
    case EPERM:
    case EROFS:
      return QStringLiteral("このフォルダーには書き込めません．書き込めるフォルダーを選んでください．");
    case ENOENT:
    case ENOTDIR:
      return QStringLiteral("フォルダーがありません．保存先を選び直してください．");
    case EISDIR:
      return QStringLiteral("同じ名前のフォルダーがあります．別の名前を選んでください．");
    default:
      return QStringLiteral("%1．保存先を選び直してください．")
          .arg(QString::fromLocal8Bit(std::strerror(error_number)));
  }
}

}  // namespace

QString PictureRefusedText(const QString& path, Status status) {
  const auto [reason, advice] = RefusalReason(path, status);
  return QStringLiteral("%1 を読み込めません．\n%2\n%3\nパネルの画像はそのままです．")
      .arg(Quoted(path), reason, advice);
}

QString FileNotWrittenText(const QString& path, int error_number) {
  return QStringLiteral("%1\n%2\n%3\n元のファイルはそのまま残っています．")
      .arg(QString::fromUtf8(kCannotSaveText), Quoted(path), WriteErrorReason(error_number));
}

QString TagFailedText(Status status, bool has_picture, const QString& work_folder) {
  const bool signature = status == Status::kSignatureFailed;
  const auto text = MessageText(signature ? MessageCode::kSignatureFailed : MessageCode::kSealFailed);
  const QString panel = signature ? QStringLiteral("Quorel") : QStringLiteral("印影");
  const QString advice =
      has_picture
          ? QStringLiteral("作業用のファイルを %1 に書き込めないか、メモリーが足りません．\n"
                           "空きを確かめるか、画像を小さくしてから、もう一度お試しください．")
                .arg(Quoted(work_folder))
          : QStringLiteral("「%1」に画像がありません．\n画像を読み込むか、「%1」のチェックを外してください．")
                .arg(panel);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())) + QLatin1Char('\n') + advice;
}

QString LargeClipboardQuestion(size_t bytes) {
  return QStringLiteral("クリップボードに %1 MB のHTMLを入れます．\n"
                        "大きすぎて、ブログやメールの編集画面に貼り付けられないことがあります．\n"
                        "画像を縮小するか、1倍・GIFにすると小さくなります．コピーしますか？")
      .arg(static_cast<double>(bytes) / 1e6, 0, 'f', 1);
}

QString ReplaceFileQuestion(const QString& path) {
  return QStringLiteral("%1 はすでにあります．\n置き換えますか？").arg(Quoted(path));
}

QString ReplaceFilesQuestion(const QString& folder, const QStringList& names) {
  return QStringLiteral("%1 には %2 がすでにあります．\n置き換えますか？")
      .arg(Quoted(folder), names.join(QStringLiteral("、")));
}

QString LargePictureQuestion(size_t bytes) {
  return QStringLiteral("クリップボードに %1 MB の画像を入れます．\n"
                        "大きすぎて、貼り付けられないことがあります．\n"
                        "画像を縮小するか、1倍にすると小さくなります．コピーしますか？")
      .arg(static_cast<double>(bytes) / 1e6, 0, 'f', 1);
}

QString BaseUrlRefusedText(const QString& url) {
  return QStringLiteral("ベースURL %1 は使えません．\n"
                        "http:// か https:// で始まり、空白・引用符・山かっこを含まないURL"
                        "（画像をアップロードしたフォルダーのURL）を入力してください．")
      .arg(Quoted(url));
}

QString NoInkText(bool signature) {
  return QStringLiteral("%1の画像にインクが見つかりませんでした．透明な画像として出力します．\n"
                        "「画像を拡大/縮小する」で補正を「なし」にするか、別の画像を読み込んでください．")
      .arg(signature ? QStringLiteral("Quorel(手書きの名前)") : QStringLiteral("印影"));
}

QString SharedPhotoQuestion(bool into_signature, bool replaces) {
  const QString here = into_signature ? QStringLiteral("Quorel") : QStringLiteral("印影");
  const QString there = into_signature ? QStringLiteral("印影") : QStringLiteral("Quorel");
  return QStringLiteral("%1の写真から、%2も取り出しますか？\n"
                        "「はい」を選ぶと、同じ写真を%2の欄にも読み込み、どちらも「写真を補正」で補正します．\n"
                        "Quorelの欄にはペンのインクだけを、印影の欄には印影の色のインクだけを残します．%3")
      .arg(here, there, replaces ? QStringLiteral("\n%1の欄の今の画像は置き換わります．").arg(there) : QString());
}

}  // namespace quorel
