#include "tests/platform/spreadsheet/workbook_fixtures.h"

#include <gtest/gtest.h>

#include "platform/xlsx/xlsx_package.h"
#include "tests/support/workbook_reader.h"

namespace testing_support {
namespace {

constexpr const char* kProtocolScript = R"PY(
import sys, openpyxl
from openpyxl.styles import Font, PatternFill, Border, Side
from openpyxl.formatting.rule import CellIsRule
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.worksheet.pagebreak import Break
wb = openpyxl.Workbook()
thin = Side(style='thin')
for n in range(4):
    title = 'Канал %d' % (n + 1)
    ws = wb.active if n == 0 else wb.create_sheet(title)
    ws.title = title
    ws['A1'] = 'Протокол'
    ws['A1'].font = Font(bold=True)
    ws.merge_cells('A1:H1')
    ws['A2'] = 'Шапка'
    for r in range(32, 42):
        ws.row_dimensions[r].height = 20
        ws.cell(r, 1, 'точка %d' % (r - 31))
        for c in range(2, 9):
            ws.cell(r, c).border = Border(left=thin, right=thin, top=thin, bottom=thin)
        ws.merge_cells(start_row=r, start_column=2, end_row=r, end_column=3)
    ws['D32'].fill = PatternFill('solid', fgColor='FFFFFF00')
    ws.merge_cells('J30:J45')
    ws['A44'] = 'Заключение'
    ws.merge_cells('A44:H44')
    ws['A45'] = 'Подпись'
    ws['I44'].hyperlink = 'http://example.com/doc'
    ws['I32'].hyperlink = 'http://example.com/point'
    ws.row_dimensions[50].hidden = True
    ws['A50'] = 'скрыто'
    ws.print_area = 'A1:H50'
    ws.print_title_rows = '1:2'
    ws.page_setup.orientation = 'landscape'
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.fitToWidth = 1
    ws.oddFooter.center.text = 'Страница &P'
    ws.row_breaks.append(Break(id=41))
    ws.conditional_formatting.add('D32:D41', CellIsRule(operator='greaterThan', formula=['1'],
                                  fill=PatternFill('solid', fgColor='FFFF0000')))
    dv = DataValidation(type='list', formula1='"да,нет"')
    ws.add_data_validation(dv)
    dv.add('E32:E41')
wb['Канал 4'].sheet_state = 'hidden'
wb.save(sys.argv[1])
)PY";

constexpr const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Wrap(const std::string& root, const std::string& body, const std::string& extra = "") {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<") + root +
           " xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel + "\"" + extra + ">" + body + "</" +
           root.substr(0, root.find(' ')) + ">";
}

}  // namespace

void WriteProtocolTemplate(const std::string& path) { RunPython(kProtocolScript, {path}); }

std::string PrinterSettingsBytes() { return std::string("\x00\x01printer\xff\x00settings", 20); }

std::string CustomXmlBytes() {
    return "<?xml version=\"1.0\"?>\r\n<data  keep=\"exactly\" >as  written</data>\r\n";
}

void WriteSpreadsheetStyleWorkbook(const std::string& path) {
    platform::xlsx::Package package;
    const std::string typesBody =
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"bin\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings\"/>"
        "<Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet2.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet3.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
        "<Override PartName=\"/xl/sharedStrings.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";
    package.Put("[Content_Types].xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
                "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">" +
                    typesBody + "</Types>");
    const std::string relsHead =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    const std::string typeBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    package.Put("_rels/.rels", relsHead + "<Relationship Id=\"rId1\" Type=\"" + typeBase +
                                   "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    package.Put("customXml/item1.xml", CustomXmlBytes());
    package.Put(
        "xl/workbook.xml",
        Wrap("workbook",
             "<bookViews><workbookView activeTab=\"0\" firstSheet=\"0\"/></bookViews><sheets>"
             "<sheet name=\"Данные\" sheetId=\"1\" r:id=\"rId1\"/>"
             "<sheet name=\"Итоги\" sheetId=\"2\" r:id=\"rId2\"/>"
             "<sheet name=\"Скрытый\" sheetId=\"3\" state=\"veryHidden\" r:id=\"rId3\"/></sheets>"
             "<definedNames><definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">'Данные'!$A$1:$D$10"
             "</definedName><definedName name=\"Итог\">'Данные'!$B$2:$B$6</definedName></definedNames>"
             "<calcPr calcId=\"191029\"/>"));
    package.Put("xl/_rels/workbook.xml.rels",
                relsHead + "<Relationship Id=\"rId1\" Type=\"" + typeBase +
                    "worksheet\" Target=\"worksheets/sheet1.xml\"/>" + "<Relationship Id=\"rId2\" Type=\"" +
                    typeBase + "worksheet\" Target=\"worksheets/sheet2.xml\"/>" +
                    "<Relationship Id=\"rId3\" Type=\"" + typeBase +
                    "worksheet\" Target=\"/xl/worksheets/sheet3.xml\"/>" +
                    "<Relationship Id=\"rId4\" Type=\"" + typeBase + "styles\" Target=\"styles.xml\"/>" +
                    "<Relationship Id=\"rId5\" Type=\"" + typeBase +
                    "sharedStrings\" Target=\"sharedStrings.xml\"/>" + "</Relationships>");
    package.Put(
        "xl/styles.xml",
        Wrap("styleSheet",
             "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
             "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
             "<fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill>"
             "<fill><patternFill patternType=\"gray125\"/></fill>"
             "<fill><patternFill patternType=\"solid\"><fgColor "
             "rgb=\"FF00B050\"/></patternFill></fill></fills>"
             "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
             "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
             "borderId=\"0\"/></cellStyleXfs>"
             "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
             "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
             "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"2\" borderId=\"0\" xfId=\"0\" "
             "applyFill=\"1\"/></cellXfs>"
             "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"));
    package.Put(
        "xl/sharedStrings.xml",
        Wrap("sst count=\"4\" uniqueCount=\"3\"",
             "<si><t>Заголовок</t></si><si><t>Строка</t></si>"
             "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">жирный </t></r><r><t>текст</t></r></si>"));
    std::string rows = "<row r=\"1\"><c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c></row>";
    rows += "<row r=\"2\" spans=\"2:2\"><c r=\"B2\"><v>1</v></c></row>";
    rows += "<row r=\"3\" spans=\"2:3\"><c r=\"B3\"><v>2</v></c><c r=\"C3\" t=\"s\"><v>2</v></c></row>";
    // Row 4 and its cells A4 ("x") and B4 leave their references implicit.
    rows += "<row spans=\"1:2\"><c t=\"inlineStr\"><is><t>x</t></is></c><c><v>3</v></c></row>";
    rows += "<row r=\"5\" spans=\"2:2\" s=\"2\" customFormat=\"1\"><c r=\"B5\" s=\"2\"><v>4</v></c></row>";
    rows += "<row r=\"6\" spans=\"2:2\"><c r=\"B6\"><v>5</v></c></row>";
    const std::string extension =
        "<extLst><ext uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\" "
        "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
        "<x14:conditionalFormattings><x14:conditionalFormatting "
        "xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\"><x14:cfRule type=\"dataBar\" "
        "id=\"{00000000-0000-0000-0000-000000000001}\"><x14:dataBar><x14:cfvo type=\"autoMin\"/><x14:cfvo "
        "type=\"autoMax\"/></x14:dataBar></x14:cfRule><xm:sqref>B2:B6</xm:sqref></x14:conditionalFormatting>"
        "</x14:conditionalFormattings></ext></extLst>";
    package.Put(
        "xl/worksheets/sheet1.xml",
        Wrap("worksheet",
             "<dimension ref=\"A1:C6\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/>"
             "</sheetViews><sheetFormatPr defaultRowHeight=\"15\"/><cols><col min=\"4\" max=\"4\" "
             "width=\"12\" "
             "style=\"2\" customWidth=\"1\"/></cols><sheetData>" +
                 rows +
                 "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                 "header=\"0.3\" footer=\"0.3\"/><pageSetup paperSize=\"9\" orientation=\"portrait\" "
                 "r:id=\"rId1\"/>" +
                 extension));
    package.Put("xl/worksheets/_rels/sheet1.xml.rels",
                relsHead + "<Relationship Id=\"rId1\" Type=\"" + typeBase +
                    "printerSettings\" Target=\"../printerSettings/printerSettings1.bin\"/></Relationships>");
    package.Put("xl/printerSettings/printerSettings1.bin", PrinterSettingsBytes());
    package.Put("xl/worksheets/sheet2.xml",
                Wrap("worksheet",
                     "<dimension ref=\"A1:A3\"/><sheetData>"
                     "<row r=\"1\"><c r=\"A1\"><f>SUM('Данные'!B2:B6)</f><v>15</v></c></row>"
                     "<row r=\"2\"><c r=\"A2\"><f>Данные!B6*2</f><v>10</v></c></row>"
                     "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>1</v></c></row></sheetData>"));
    package.Put(
        "xl/worksheets/sheet3.xml",
        Wrap("worksheet", "<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row></sheetData>"));
    ASSERT_TRUE(package.Save(path).ok());
}

std::string PartOf(const std::string& path, const std::string& part) {
    return RunPython(
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "sys.stdout.buffer.write(z.read(sys.argv[2]) if sys.argv[2] in z.namelist() else b'')\n",
        {path, part});
}

}  // namespace testing_support
