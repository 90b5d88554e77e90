#pragma once

// The window's own texts in the user's language (see common/translate.h).

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "common/translate.h"

namespace tilvex {

inline QString UiText(const char* text) {
  return QString::fromUtf8(common::Tr(text));
}

inline QStringList ToQStringList(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& text : texts) list << QString::fromStdString(text);
  return list;
}

}  // namespace tilvex
