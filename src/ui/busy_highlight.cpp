// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/busy_highlight.h"

#include "app/hooks.h"
#include "ui/colors.h"

namespace kva::ui {

GreenWhileBusy::GreenWhileBusy(std::initializer_list<QWidget*> controls, bool bold) : bold_(bold) {
  for (QWidget* w : controls) {
    saved_.emplace_back(w, BackColor(*w));
    if (bold_) SetFontBold(*w, true);
    SetBackColor(*w, kGreen);
  }
  Yield();
}

GreenWhileBusy::~GreenWhileBusy() {
  for (auto& [w, colour] : saved_) {
    if (w.isNull()) continue;
    if (bold_) SetFontBold(*w, false);
    SetBackColor(*w, colour);
  }
}

}  // namespace kva::ui
