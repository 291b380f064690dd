// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/frmMsg.h"

#include <QVBoxLayout>

#include "app/hooks.h"
#include "ui/twips.h"

namespace kva {

frmMsg::frmMsg() {
  setWindowTitle(QStringLiteral("Message"));
  txtMsg = new QPlainTextEdit(this);
  txtMsg->setReadOnly(true);
  txtMsg->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Command1 = new QPushButton(QStringLiteral("Command1"), this);
  auto* column = new QVBoxLayout(this);
  column->addWidget(txtMsg, 1);
  column->addWidget(Command1, 0, Qt::AlignHCenter);
  resize(ui::TwipsToPixels(4800), ui::TwipsToPixels(2400));
}

void frmMsg::Form_Load() {
  setWindowTitle(QString::fromLatin1(kAppTitle) + QStringLiteral("   Message"));
}

void frmMsg::Form_Activate() { Command1->setFocus(); }

}  // namespace kva
