// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/frmBusyMsg.h"

#include <QVBoxLayout>

#include "app/hooks.h"
#include "ui/twips.h"

namespace kva {

frmBusyMsg::frmBusyMsg() {
  setWindowTitle(QStringLiteral("Message"));
  Label1 = new QLabel(this);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  auto* column = new QVBoxLayout(this);
  column->addWidget(Label1);
  resize(ui::TwipsToPixels(4800), ui::TwipsToPixels(1500));
}

void frmBusyMsg::Form_Load() {
  setWindowTitle(QString::fromLatin1(kAppTitle) + QStringLiteral("  ") + windowTitle());
}

}  // namespace kva
