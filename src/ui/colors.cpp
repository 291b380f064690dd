// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/colors.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace kva::ui {
namespace {

// The palette role a control fills its background with.
QPalette::ColorRole BackRole(const QWidget& w) {
  if (qobject_cast<const QLineEdit*>(&w) || qobject_cast<const QAbstractScrollArea*>(&w) ||
      qobject_cast<const QComboBox*>(&w)) {
    return QPalette::Base;
  }
  if (qobject_cast<const QAbstractButton*>(&w)) return QPalette::Button;
  return QPalette::Window;
}

QPalette::ColorRole ForeRole(const QWidget& w) {
  if (qobject_cast<const QLineEdit*>(&w) || qobject_cast<const QAbstractScrollArea*>(&w) ||
      qobject_cast<const QComboBox*>(&w)) {
    return QPalette::Text;
  }
  if (qobject_cast<const QAbstractButton*>(&w)) return QPalette::ButtonText;
  return QPalette::WindowText;
}

}  // namespace

void SetBackColor(QWidget& w, const QColor& c) {
  QPalette p = w.palette();
  const auto role = BackRole(w);
  p.setColor(role, c);
  if (role == QPalette::Button) p.setColor(QPalette::Window, c);
  w.setPalette(p);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(&w)) {
    area->viewport()->setPalette(p);
  } else if (role == QPalette::Window) {
    w.setAutoFillBackground(true);
  }
  w.update();
}

QColor BackColor(const QWidget& w) { return w.palette().color(BackRole(w)); }

void SetForeColor(QWidget& w, const QColor& c) {
  QPalette p = w.palette();
  p.setColor(ForeRole(w), c);
  w.setPalette(p);
  w.update();
}

QColor ForeColor(const QWidget& w) { return w.palette().color(ForeRole(w)); }

void SetFontBold(QWidget& w, bool bold) {
  QFont f = w.font();
  f.setBold(bold);
  w.setFont(f);
}

}  // namespace kva::ui
