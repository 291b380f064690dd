// The Simulated Board window: its controls reach the simulated sensor, seen in the next reads;
// its menu exists only on the simulated board.
#include "mainwindow/frmSimBoard.h"

#include <QMenuBar>
#include <QtTest>
#include <memory>

#include "device/bring_up.h"
#include "device/register_map.h"
#include "sim/sim_board.h"
#include "support/ui_window_test.h"

using namespace kva;

class SimBoardWindowTest : public QObject {
  Q_OBJECT

  double now_ = 10.0;
  std::unique_ptr<sim::SimBoard> board_;

  static float Read(int16_t index) {
    ReadRegister(index);
    return RegScaledValue;
  }

 private slots:
  void init() {
    kvatest::PrepareWindowTests();
    sim::SimBoardOptions options;
    options.clock = [this] { return now_; };
    board_ = std::make_unique<sim::SimBoard>(options);
    InterfaceType = 2;
    QVERIFY(BringUpUsbAdapter());
  }
  void cleanup() {
    kvatest::EndWindowTest();
    board_.reset();
  }

  void controlsDriveTheSensor() {
    auto& w = ui::ShowForm<frmSimBoard>();
    QCOMPARE(w.txtTilt[2]->value(), 1.0);  // the bench board as it stands

    w.txtTilt[0]->setValue(0.5);
    w.cmdTilt->click();
    w.txtSupply->setValue(2.5);
    now_ += 0.01;
    QCOMPARE(Read(XACCL_OUT), static_cast<float>(10 * 0.0514));  // 0.5 g in 0.0514 g counts
    QVERIFY(qAbs(Read(SUPPLY_OUT) - 2.5f) < 0.005f);

    w.cmbShockAxis->setCurrentIndex(1);
    w.txtShockPeak->setValue(30.0);
    w.txtShockDuration->setValue(4.0);
    w.cmdShock->click();
    now_ += 0.002;  // the middle of the half-sine
    QVERIFY(Read(YACCL_OUT) > 25.0f);

    w.chkSelfTestFault->setChecked(true);
    QVERIFY(board_->sensor().State().selfTestFault);

    w.cmbScenario->setCurrentText("demo");  // the demo starts from its own values
    QCOMPARE(board_->sensor().State().scenario, std::string("demo"));
    QCOMPARE(w.txtTilt[0]->value(), 0.0);
    QCOMPARE(w.txtSupply->value(), 3.3);
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
