#pragma once

#include <string>

namespace testing_support {

// A protocol-like template written by openpyxl (inline texts, no shared string table): four sheets
// "Канал 1".."Канал 4", the last hidden. On each: A1 "Протокол" bold and merged A1:H1; A2 "Шапка";
// ten point rows 32..41 ("точка 1".."точка 10" in A, height 20, thin borders B..H, B:C merged in
// each, D32 filled yellow, I32 a hyperlink); J30:J45 merged; A44 "Заключение" merged A44:H44; A45
// "Подпись"; I44 a hyperlink; row 50 hidden with "скрыто" in A50; print area A1:H50, print titles rows 1:2; a
// conditional format on D32:D41 and a validation on E32:E41.
void WriteProtocolTemplate(const std::string& path);

// A workbook laid out as a spreadsheet program writes it, with a shared string table and parts
// nobody here knows:
//   "Данные": A1 "Заголовок" (bold, style 1); B2..B6 the numbers 1..5; C3 a rich text; A4 "x"; row 4
//     stated without its r; row 5 formatted with style 2 as a whole; column D styled 2; an extension
//     conditional format on B2:B6; a page set-up pointing at a printer settings part.
//   "Итоги": A1 =SUM('Данные'!B2:B6), A2 =Данные!B6*2, A3 "Строка".
//   "Скрытый": very hidden, A1 "Строка".
//   Defined names: the print area 'Данные'!$A$1:$D$10 and "Итог" = 'Данные'!$B$2:$B$6.
//   Unknown parts: xl/printerSettings/printerSettings1.bin and customXml/item1.xml.
void WriteSpreadsheetStyleWorkbook(const std::string& path);
// The unknown parts' bytes, to compare with what comes back.
std::string PrinterSettingsBytes();
std::string CustomXmlBytes();

// The bytes of one part of a package, read by Python's zipfile ("" when missing).
std::string PartOf(const std::string& path, const std::string& part);

}  // namespace testing_support
