#pragma once

// The window's own texts in the user's language (see common/translate.h).

#include <QString>

#include "common/translate.h"

namespace tilvex {

inline QString UiText(const char* text) {
  return QString::fromUtf8(common::Tr(text));
}

}  // namespace tilvex
