// SPDX-License-Identifier: GPL-3.0-or-later
// Controls the configuration windows share: the label that shows a register in hex, and a
// pair of options in a frame of its own.
#pragma once

#include <QLabel>
#include <QRadioButton>
#include <QString>

namespace kva::ui {

// Sunken and centred, wide enough for four hex digits; caption is what it shows until the
// first read.
QLabel* MakeHexLabel(QWidget* parent, const QString& name, const QString& caption);

// Two options in a borderless frame, so that they act as a group apart from the window's
// other options; laid out side by side (or one above the other).
struct OptionPair {
  QWidget* frame;
  QRadioButton* first;
  QRadioButton* second;
};
OptionPair MakeOptionPair(QWidget* parent, const QString& firstName, const QString& firstText,
                          const QString& secondName, const QString& secondText,
                          bool vertical = false);

// The top-left corner of a window placed 2500 twips right of and 600 twips below the main
// window's, where the configuration windows open.
void PlaceBesideMainWindow(QWidget& window);

}  // namespace kva::ui
