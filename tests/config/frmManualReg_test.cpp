// SPDX-License-Identifier: GPL-3.0-or-later
// The register browser on a sensor that answers exact words: the listing, the map entry and
// read of a chosen register, the maximised layout and the print-out.
#include "config/frmManualReg.h"

#include <QtTest>
#include <memory>

#include "support/temp_dir.h"
#include "support/ui_window_test.h"
#include "support/window_trace.h"
#include "ui/print_window.h"
#include "ui/twips.h"

using namespace kva;

namespace {

void Choose(QComboBox& list, int index) {
  list.setCurrentIndex(index);
  emit list.activated(index);
}

}  // namespace

class FrmManualRegTest : public QObject {
  Q_OBJECT

  std::unique_ptr<kvatest::TraceBoard> board_;

  frmManualReg& Window() { return ui::ShowForm<frmManualReg>(); }

 private slots:
  void init() {
    board_ = std::make_unique<kvatest::TraceBoard>();
    ui::InstallQtHooks();
  }
  void cleanup() {
    kvatest::EndWindowTest();
    board_.reset();
  }

  void listingOnLoadAndTheChosenRegister() {
    board_->Set(XACCL_OUT, 0xBFF6);
    board_->Set(PROD_ID, 0x1E1E);
    auto& w = Window();
    const QStringList lines = w.Text1->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2 + 36);
    QCOMPARE(lines[4], QString("XACCL_OUT      \t0004\tFFF6\t   0   1\t-0.514"));
    QCOMPARE(w.cmboRegister->count(), 40);
    QVERIFY(!w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());  // nothing chosen yet

    Choose(*w.cmboRegister, PROD_ID);
    QCOMPARE(QStringList({w.txtRegAddr->text(), w.txtRegByte->text(), w.txtRegRead->text(),
                          w.txtRegWrite->text(), w.txtHex->text(), w.txtRegVal->text()}),
             QStringList({"004C", "2", "True", "False", "1E1E", "7710.0"}));
    QVERIFY(w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());
    QTest::keyClicks(w.txtDataWrite, "12g3456");
    QCOMPARE(w.txtDataWrite->text(), QString("1234"));  // hex digits, four at most

    const size_t frames = board_->sensor.frames.size();
    Choose(*w.cmboRegister, RESERVED_20);
    QVERIFY(!w.cmdRead->isEnabled() && !w.cmdWrite->isEnabled());
    QCOMPARE(w.txtHex->text(), QString("1E1E"));
    QCOMPARE(board_->sensor.frames.size(), frames);
  }

  void maximisedListingTakesTheWindowsHeight() {
    auto& w = Window();
    const int designHeight = w.Text1->height();
    w.resize(w.width(), 700);  // not maximised: the listing keeps its height
    QCOMPARE(w.Text1->height(), designHeight);
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    const double height = ui::GeometryTwips(w).height;
    QCOMPARE(w.frameUserReg->height(), ui::TwipsToPixels(height - 700));
    QCOMPARE(w.Text1->height(), ui::TwipsToPixels(height - 700 - 550));
    QVERIFY(w.Text1->height() > designHeight + 150);
    w.showNormal();
    QTRY_COMPARE(w.Text1->height(), designHeight);
  }

  void printsTheWindowsImageOnOnePage() {
    kvatest::TempDir dir;
    ui::MessageRecorder messages;
    QString file;
    bool accept = true;
    ui::SetPrinterHook([&](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(file);
      return accept;
    });
    auto& w = Window();
    file = QString::fromStdString((dir.path() / "registers.pdf").string());
    w.cmdPrint->click();
    const std::string pdf = kvatest::ReadFileBytes(dir.path() / "registers.pdf");
    QVERIFY(pdf.starts_with("%PDF"));
    QCOMPARE(QString::fromStdString(pdf).count("/Type /Page\n"), 1);
    const QSize size = w.grab().size();
    QVERIFY(pdf.find("/Subtype /Image") != std::string::npos);
    QVERIFY(pdf.find("/Width " + std::to_string(size.width())) != std::string::npos);
    QVERIFY(pdf.find("/Height " + std::to_string(size.height())) != std::string::npos);

    file = QString::fromStdString((dir.path() / "missing" / "registers.pdf").string());
    w.cmdPrint->click();
    QCOMPARE(messages.texts(), std::vector<std::string>{"The window could not be printed to " +
                                                        file.toStdString() + "."});
    accept = false;  // the dialog cancelled: nothing printed, nothing said
    QCOMPARE(ui::PrintWindowImage(w), ui::PrintOutcome::Cancelled);
    QCOMPARE(messages.texts().size(), size_t(1));
    ui::SetPrinterHook({});
  }
};

QTEST_MAIN(FrmManualRegTest)
#include "frmManualReg_test.moc"
