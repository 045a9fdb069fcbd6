#include "app/controls/chart_output.h"

#include <QBuffer>
#include <QByteArray>
#include <QChartView>
#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <optional>

#include "platform/class_library/utf8_literal.h"
#include "platform/system/file_io.h"

namespace {

ChartPrintDialog& PrintDialogInForce() {
    static ChartPrintDialog dialog;
    return dialog;
}

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
    if (const ChartPrintDialog& dialog = PrintDialogInForce()) return dialog(printer);
    QPrintDialog qtDialog(&printer, parent);
    return qtDialog.exec() == QDialog::Accepted;
}

void ShowFailure(const char* text) { platform::MessageDlg(U(text), platform::MsgDlgType::Error, platform::mbOK); }

}  // namespace

ChartPrintDialog SetChartPrintDialog(ChartPrintDialog dialog) {
    ChartPrintDialog previous = std::move(PrintDialogInForce());
    PrintDialogInForce() = std::move(dialog);
    return previous;
}

void PrintChartView(QPrinter& printer, QChartView* view, QWidget* dialogParent) {
    const QPageLayout::Orientation previous = printer.pageLayout().orientation();
    printer.setPageOrientation(QPageLayout::Landscape);
    // The printer keeps its orientation for whoever prints next, however this print ends.
    struct Restore {
        QPrinter& printer;
        QPageLayout::Orientation orientation;
        ~Restore() { printer.setPageOrientation(orientation); }
    } restore{printer, previous};

    if (!RunPrintDialog(printer, dialogParent)) return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowFailure("Невозможно распечатать график!");
        return;
    }
    view->render(&painter, QRectF(painter.viewport()), QRect(), Qt::KeepAspectRatio);
    if (!painter.end()) ShowFailure("Невозможно распечатать график!");
}

void SaveChartPicture(QChartView* view, platform::FileDialogSpec& dialog) {
    dialog.defaultExt = QStringLiteral("bmp");
    dialog.filter = QStringLiteral("Bitmaps|*.bmp");
    const std::optional<QString> path = platform::CurrentDialogs().saveFile(dialog);
    if (!path) return;
    QPixmap picture(view->size());
    picture.fill(Qt::white);
    view->QWidget::render(&picture);
    // Made whole in memory first, then put in the file's place only once every byte is on disk.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const bool encoded = !picture.isNull() && buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "BMP");
    if (!encoded || !platform::ReplaceFile(QFile::encodeName(*path).toStdString(),
                                           std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        ShowFailure("Невозможно сохранить файл!");
    }
}
