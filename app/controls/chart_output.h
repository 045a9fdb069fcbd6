#pragma once

#include <QString>
#include <functional>

#include "platform/class_library/dialogs.h"

class QChartView;
class QPrinter;
class QWidget;

// Printing and saving a chart, shared by every chart's tool bar.

// Shows the print dialog for the printer and says whether the user confirmed. The program asks
// in Qt's print dialog; tests put in their own, so that no dialog opens.
using ChartPrintDialog = std::function<bool(QPrinter& printer)>;
// Puts a print dialog in force (empty: Qt's again); returns the previous one.
ChartPrintDialog SetChartPrintDialog(ChartPrintDialog dialog);

// Prints the chart's view on one landscape page after the print dialog; the printer's orientation
// is given back afterwards, however the printing ends. A failure is told to the user.
void PrintChartView(QPrinter& printer, QChartView* view, QWidget* dialogParent);

// Asks for a bitmap file name with the dialog and saves the view there, drawn on white at its own
// size; cancelling writes nothing. A file that cannot be written is told to the user.
void SaveChartPicture(QChartView* view, platform::FileDialogSpec& dialog);

