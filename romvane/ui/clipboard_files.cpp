#include "clipboard_files.h"

#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <QString>
#include <QUrl>

#include "model/file_drop.h"

namespace romvane {
namespace {

QByteArray ToBytes(const std::vector<uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
}

}  // namespace

QMimeData* MakeCopiedFilesData(const std::vector<std::string>& paths) {
  QList<QUrl> urls;
  QByteArray gnome("copy");
  for (const std::string& p : paths) {
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(p));
    urls << url;
    gnome += '\n' + url.toEncoded();
  }
  auto* data = new QMimeData;
  data->setUrls(urls);
  data->setData(QString::fromLatin1(kGnomeCopiedFilesType), gnome);
  const QByteArray effect = ToBytes(DropEffectBytes(kDropEffectCopy));
  data->setData(QString::fromLatin1(kDropEffectType), effect);
  data->setData(QString::fromLatin1(kWindowsDropEffectType), effect);
  data->setData(QString::fromLatin1(kFileDropBlockType), ToBytes(FileDropBlock(paths)));
  return data;
}

}  // namespace romvane
