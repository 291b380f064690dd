// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/config_controls.h"

#include <QBoxLayout>

#include "ui/forms.h"
#include "ui/twips.h"

namespace kva::ui {

QLabel* MakeHexLabel(QWidget* parent, const QString& name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setAlignment(Qt::AlignCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDD")));
  return label;
}

OptionPair MakeOptionPair(QWidget* parent, const QString& firstName, const QString& firstText,
                          const QString& secondName, const QString& secondText, bool vertical) {
  auto* frame = new QWidget(parent);
  auto* first = new QRadioButton(firstText, frame);
  first->setObjectName(firstName);
  auto* second = new QRadioButton(secondText, frame);
  second->setObjectName(secondName);
  auto* layout =
      new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(first);
  layout->addWidget(second);
  layout->addStretch(1);
  return {frame, first, second};
}

void PlaceBesideMainWindow(QWidget& window) {
  const QWidget* main = MainWindow();
  if (main == nullptr) return;
  const TwipsRect at = GeometryTwips(*main);
  MoveTwips(window, at.left + 2500, at.top + 600);
}

}  // namespace kva::ui
