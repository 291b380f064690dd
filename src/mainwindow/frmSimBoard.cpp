// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/frmSimBoard.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/run_mode.h"
#include "device/board_stimulus.h"

namespace kva {
namespace {

QDoubleSpinBox* SpinBox(QWidget* parent, double low, double high, int decimals, double step,
                        const QString& suffix) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setSingleStep(step);
  box->setSuffix(suffix);
  box->setKeyboardTracking(false);  // act on the finished number, not on each digit
  return box;
}

// Runs f on the board when one runs (the window may outlive it in tests).
template <class F>
void OnBoard(F f) {
  if (BoardStimulus* board = CurrentBoardStimulus()) f(*board);
}

}  // namespace

frmSimBoard::frmSimBoard() {
  setWindowTitle(QStringLiteral("Simulated Board"));

  auto* scenario = new QGroupBox(QStringLiteral("Scenario"), this);
  cmbScenario = new QComboBox(scenario);
  cmbScenario->addItems({QStringLiteral("bench"), QStringLiteral("demo")});
  cmbScenario->setToolTip(
      QStringLiteral("bench: still, Z +1 g. demo: noise, a slow wobble and a 10-30 g shock "
                     "every few seconds. Either starts from its own tilt, supply and inputs."));
  (new QHBoxLayout(scenario))->addWidget(cmbScenario);

  auto* tilt = new QGroupBox(QStringLiteral("Tilt"), this);
  auto* tiltRow = new QHBoxLayout(tilt);
  const char* const axes[3] = {"X", "Y", "Z"};
  for (int i = 0; i < 3; ++i) {
    txtTilt[i] = SpinBox(tilt, -140.0, 140.0, 2, 0.1, QStringLiteral(" g"));
    txtTilt[i]->setPrefix(QStringLiteral("%1 ").arg(axes[i]));
    tiltRow->addWidget(txtTilt[i]);
  }
  cmdTilt = new QPushButton(QStringLiteral("Apply"), tilt);
  tiltRow->addWidget(cmdTilt);

  auto* shock = new QGroupBox(QStringLiteral("Shock"), this);
  auto* shockRow = new QHBoxLayout(shock);
  cmbShockAxis = new QComboBox(shock);
  cmbShockAxis->addItems({QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")});
  txtShockPeak = SpinBox(shock, -140.0, 140.0, 1, 1.0, QStringLiteral(" g"));
  txtShockPeak->setValue(20.0);
  txtShockDuration = SpinBox(shock, 0.1, 1000.0, 1, 1.0, QStringLiteral(" ms"));
  txtShockDuration->setValue(5.0);
  cmdShock = new QPushButton(QStringLiteral("Shock"), shock);
  shockRow->addWidget(cmbShockAxis);
  shockRow->addWidget(txtShockPeak);
  shockRow->addWidget(txtShockDuration);
  shockRow->addWidget(cmdShock);

  auto* vibration = new QGroupBox(QStringLiteral("Vibration"), this);
  auto* vibrationRow = new QHBoxLayout(vibration);
  chkVibration = new QCheckBox(QStringLiteral("On"), vibration);
  cmbVibrationAxis = new QComboBox(vibration);
  cmbVibrationAxis->addItems({QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")});
  txtVibrationHz = SpinBox(vibration, 0.1, 2048.0, 1, 1.0, QStringLiteral(" Hz"));
  txtVibrationG = SpinBox(vibration, -140.0, 140.0, 3, 0.1, QStringLiteral(" g"));
  vibrationRow->addWidget(chkVibration);
  vibrationRow->addWidget(cmbVibrationAxis);
  vibrationRow->addWidget(txtVibrationHz);
  vibrationRow->addWidget(txtVibrationG);

  auto* noise = new QGroupBox(QStringLiteral("White noise (ug/√Hz)"), this);
  auto* noiseRow = new QHBoxLayout(noise);
  for (int i = 0; i < 3; ++i) {
    txtNoise[i] = SpinBox(noise, 0.0, 1e6, 0, 100.0, QString());
    txtNoise[i]->setPrefix(QStringLiteral("%1 ").arg(axes[i]));
    noiseRow->addWidget(txtNoise[i]);
  }

  auto* inputs = new QGroupBox(QStringLiteral("Supply and inputs"), this);
  auto* form = new QFormLayout(inputs);
  txtSupply = SpinBox(inputs, 0.0, 6.0, 2, 0.05, QStringLiteral(" V"));
  txtTemp = SpinBox(inputs, -60.0, 150.0, 1, 1.0, QStringLiteral(" °C"));
  txtAux = SpinBox(inputs, 0.0, 5.0, 2, 0.05, QStringLiteral(" V"));
  chkSelfTestFault = new QCheckBox(QStringLiteral("Self-test fails (X stays still)"), inputs);
  form->addRow(QStringLiteral("Supply"), txtSupply);
  form->addRow(QStringLiteral("Temperature"), txtTemp);
  form->addRow(QStringLiteral("Aux input"), txtAux);
  form->addRow(chkSelfTestFault);

  cmdClose = new QPushButton(QStringLiteral("Close"), this);
  auto* column = new QVBoxLayout(this);
  column->addWidget(scenario);
  column->addWidget(tilt);
  column->addWidget(shock);
  column->addWidget(vibration);
  column->addWidget(noise);
  column->addWidget(inputs);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdClose);
  column->addLayout(buttons);

  connect(cmbScenario, &QComboBox::currentIndexChanged, this, [this] {
    if (!showing_) cmbScenario_Change();
  });
  connect(cmdTilt, &QPushButton::clicked, this, &frmSimBoard::cmdTilt_Click);
  connect(cmdShock, &QPushButton::clicked, this, &frmSimBoard::cmdShock_Click);
  connect(cmdClose, &QPushButton::clicked, this, &frmSimBoard::cmdClose_Click);
  connect(chkVibration, &QCheckBox::toggled, this, [this] {
    if (!showing_) Vibration_Change();
  });
  connect(cmbVibrationAxis, &QComboBox::currentIndexChanged, this, [this] {
    if (!showing_) Vibration_Change();
  });
  for (QDoubleSpinBox* box : {txtVibrationHz, txtVibrationG}) {
    connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
      if (!showing_) Vibration_Change();
    });
  }
  for (int i = 0; i < 3; ++i) {
    connect(txtNoise[i], &QDoubleSpinBox::valueChanged, this, [this, i](double ug) {
      if (!showing_) OnBoard([i, ug](BoardStimulus& b) { b.SetNoiseDensity(i, ug); });
    });
  }
  connect(txtSupply, &QDoubleSpinBox::valueChanged, this, [this](double v) {
    if (!showing_) OnBoard([v](BoardStimulus& b) { b.SetSupply(v); });
  });
  connect(txtTemp, &QDoubleSpinBox::valueChanged, this, [this](double c) {
    if (!showing_) OnBoard([c](BoardStimulus& b) { b.SetTemperature(c); });
  });
  connect(txtAux, &QDoubleSpinBox::valueChanged, this, [this](double v) {
    if (!showing_) OnBoard([v](BoardStimulus& b) { b.SetAux(v); });
  });
  connect(chkSelfTestFault, &QCheckBox::toggled, this, [this](bool on) {
    if (!showing_) OnBoard([on](BoardStimulus& b) { b.SetSelfTestFault(on); });
  });
}

void frmSimBoard::Form_Load() {
  const QWidget* main = ui::MainWindow();
  if (main == nullptr) return;
  // Beside the main window, moved back inside the screen where the main window reaches its
  // edge. The window's frame is not known before it is shown: the main window's stands for it.
  const QRect outer = main->frameGeometry(), inner = main->geometry();
  const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
  QPoint at = outer.topRight();
  if (const QScreen* screen = main->screen()) {
    const QRect room = screen->availableGeometry();
    adjustSize();  // the size it will show with, style and fonts applied
    const QSize size = this->size().grownBy(frame);
    at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
    at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
  }
  move(at);
}

void frmSimBoard::Form_Activate() { ShowState(); }

void frmSimBoard::ShowState() {
  BoardStimulus* board = CurrentBoardStimulus();
  setEnabled(board != nullptr);
  if (board == nullptr) return;
  const BoardStimulusState s = board->State();
  showing_ = true;
  cmbScenario->setCurrentText(QString::fromStdString(s.scenario));
  txtTilt[0]->setValue(s.xG);
  txtTilt[1]->setValue(s.yG);
  txtTilt[2]->setValue(s.zG);
  txtSupply->setValue(s.supplyV);
  txtTemp->setValue(s.tempC);
  txtAux->setValue(s.auxV);
  chkSelfTestFault->setChecked(s.selfTestFault);
  chkVibration->setChecked(s.vibrationOn);
  cmbVibrationAxis->setCurrentIndex(s.vibrationAxis);
  txtVibrationHz->setValue(s.vibrationHz);
  txtVibrationG->setValue(s.vibrationG);
  for (int i = 0; i < 3; ++i) txtNoise[i]->setValue(s.noiseDensity[static_cast<size_t>(i)]);
  showing_ = false;
}

void frmSimBoard::cmbScenario_Change() {
  OnBoard([this](BoardStimulus& b) { b.SetScenario(cmbScenario->currentText().toStdString()); });
  ShowState();  // a scenario starts from its own tilt, supply and inputs
}

void frmSimBoard::cmdTilt_Click() {
  OnBoard([this](BoardStimulus& b) {
    b.SetAcceleration(txtTilt[0]->value(), txtTilt[1]->value(), txtTilt[2]->value());
  });
}

void frmSimBoard::cmdShock_Click() {
  OnBoard([this](BoardStimulus& b) {
    b.Shock(cmbShockAxis->currentIndex(), txtShockPeak->value(), txtShockDuration->value());
  });
}

void frmSimBoard::Vibration_Change() {
  OnBoard([this](BoardStimulus& b) {
    b.SetVibration(cmbVibrationAxis->currentIndex(), txtVibrationHz->value(),
                   txtVibrationG->value(), chkVibration->isChecked());
  });
}

void frmSimBoard::cmdClose_Click() { hide(); }

void AddSimulatedBoardMenu(QMenuBar& bar, QAction* before) {
  if (!SimulatedBoardActive()) return;
  auto* menu = new QMenu(QStringLiteral("Simulated Board"), &bar);
  menu->setObjectName(QStringLiteral("mnuSimulatedBoard"));
  QAction* controls = menu->addAction(QStringLiteral("Controls..."));
  controls->setObjectName(QStringLiteral("mnuSimControls"));
  QObject::connect(controls, &QAction::triggered, &bar, [] { ui::ShowForm<frmSimBoard>(); });
  bar.insertMenu(before, menu);
}

}  // namespace kva
