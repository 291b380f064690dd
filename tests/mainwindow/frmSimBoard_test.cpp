// SPDX-License-Identifier: GPL-3.0-or-later
// The Simulated Board window: its controls reach the simulated sensor, seen in the next reads;
// its menu exists only on the simulated board.
#include "mainwindow/frmSimBoard.h"

#include <QMenuBar>
#include <QScreen>
#include <QtTest>
#include <optional>

#include "mainwindow/frmForm1.h"
#include "support/window_rig.h"

using namespace kva;

class SimBoardWindowTest : public QObject {
  Q_OBJECT

  std::optional<kvatest::WindowRig> rig_;

  static float Read(int16_t index) {
    ReadRegister(index);
    return State().registers.RegScaledValue;
  }

 private slots:
  void init() {
    rig_.emplace();
    State().settings.InterfaceType = Interface::Usb;
    QVERIFY(BringUpUsbAdapter());
  }
  void cleanup() { rig_.reset(); }

  void controlsDriveTheSensor() {
    auto& w = ui::ShowForm<frmSimBoard>();
    QCOMPARE(w.txtTilt[2]->value(), 1.0);  // the bench board as it stands

    w.txtTilt[0]->setValue(0.5);
    w.cmdTilt->click();
    w.txtSupply->setValue(2.5);
    rig_->now += 0.01;
    QCOMPARE(Read(XACCL_OUT), static_cast<float>(10 * 0.0514));  // 0.5 g in 0.0514 g counts
    QVERIFY(qAbs(Read(SUPPLY_OUT) - 2.5f) < 0.005f);

    w.cmbShockAxis->setCurrentIndex(1);
    w.txtShockPeak->setValue(30.0);
    w.txtShockDuration->setValue(4.0);
    w.cmdShock->click();
    rig_->now += 0.002;  // the middle of the half-sine
    QVERIFY(Read(YACCL_OUT) > 25.0f);

    w.chkSelfTestFault->setChecked(true);
    QVERIFY(rig_->board.sensor().State().selfTestFault);

    w.cmbVibrationAxis->setCurrentIndex(2);
    w.txtVibrationHz->setValue(120.0);
    w.txtVibrationG->setValue(0.3);
    QVERIFY(!rig_->board.sensor().State().vibrationOn);  // set up while off
    w.chkVibration->setChecked(true);
    w.txtNoise[1]->setValue(250.0);
    BoardStimulusState s = rig_->board.sensor().State();
    QCOMPARE(s.vibrationOn && s.vibrationAxis == 2, true);
    QCOMPARE(s.vibrationHz + s.vibrationG, 120.3);
    QCOMPARE(s.noiseDensity, (std::array<double, 3>{0.0, 250.0, 0.0}));

    w.cmbScenario->setCurrentText("demo");  // the demo starts from its own values
    QCOMPARE(rig_->board.sensor().State().scenario, std::string("demo"));
    QCOMPARE(w.txtTilt[0]->value(), 0.0);
    QCOMPARE(w.txtSupply->value(), 3.3);
    QVERIFY(!w.chkVibration->isChecked());
    QCOMPARE(w.txtNoise[1]->value(), 0.0);
  }

  // Beside the main window, but never past the screen's edge.
  void opensInsideTheScreen() {
    frmForm1& main = rig_->StartMainWindow();
    const QRect room = main.screen()->availableGeometry();
    main.move(room.right() - main.width() / 2, room.top() + 40);
    const QRect placed = ui::ShowForm<frmSimBoard>().frameGeometry();
    QVERIFY2(room.contains(placed), qPrintable(QString("%1,%2 %3x%4")
                                                   .arg(placed.x())
                                                   .arg(placed.y())
                                                   .arg(placed.width())
                                                   .arg(placed.height())));
    QCOMPARE(placed.top(), main.frameGeometry().top());
  }

  void menuOnlyOnTheSimulatedBoard() {
    QMenuBar bar;
    QAction* exit = bar.addAction("Exit");
    AddSimulatedBoardMenu(bar, exit);
    QCOMPARE(bar.actions().size(), 1);
    SetSimulatedBoardActive(true);
    AddSimulatedBoardMenu(bar, exit);
    QCOMPARE(bar.actions().at(0)->text(), QString("Simulated Board"));
    bar.actions().at(0)->menu()->actions().at(0)->trigger();
    QVERIFY(ui::FindForm<frmSimBoard>() != nullptr && ui::FindForm<frmSimBoard>()->isVisible());
  }
};

QTEST_MAIN(SimBoardWindowTest)
#include "frmSimBoard_test.moc"
