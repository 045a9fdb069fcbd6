"""Prints what a workbook holds, as read by openpyxl, one tab-separated fact a line:

sheet  <n>  <name>  <state>
print  <n>  <paper size>  <orientation>  <fit to width>  <print area>
merge  <n>  <range>
cell   <n>  <ref>  <sides with a border, of "LRTB">  <value>  <fit>   (only cells with a value, a border or a fit)
width  <n>  <column number>  <width in hundredths of a character>   (columns given a width)
height <n>  <row>  <height in hundredths of a point>   (rows given a height)

<fit> says how a text too long for its cell is shown: "shrink", "wrap", both or neither (empty).

Sheets count from 1. A value is written as the hexadecimal digits of its UTF-8 bytes, so that no
text can break the line.
"""
import sys

import openpyxl


def text(value):
    return "" if value is None else str(value).encode("utf-8").hex()


def sides(cell):
    b = cell.border
    drawn = zip("LRTB", (b.left, b.right, b.top, b.bottom))
    return "".join(letter for letter, side in drawn if side is not None and side.style is not None)


def fit(cell):
    a = cell.alignment
    return " ".join(word for word, on in (("shrink", a.shrink_to_fit), ("wrap", a.wrap_text)) if on)


def main(path):
    book = openpyxl.load_workbook(path)
    sys.stdout.reconfigure(encoding="utf-8")
    out = sys.stdout
    for n, sheet in enumerate(book.worksheets, 1):
        out.write(f"sheet\t{n}\t{sheet.title}\t{sheet.sheet_state}\n")
        setup = sheet.page_setup
        area = sheet.print_area or ""
        if isinstance(area, (list, tuple)):
            area = ",".join(area)
        out.write(f"print\t{n}\t{setup.paperSize}\t{setup.orientation}\t{setup.fitToWidth}\t{area}\n")
        for letter, dimension in sorted(sheet.column_dimensions.items()):
            if dimension.width:
                for column in range(dimension.min or 0, (dimension.max or 0) + 1):
                    out.write(f"width\t{n}\t{column}\t{round(dimension.width * 100)}\n")
        for row, dimension in sorted(sheet.row_dimensions.items()):
            if dimension.height is not None:
                out.write(f"height\t{n}\t{row}\t{round(dimension.height * 100)}\n")
        for merged in sorted(sheet.merged_cells.ranges, key=lambda r: (r.min_row, r.min_col)):
            out.write(f"merge\t{n}\t{merged.coord}\n")
        for row in sheet.iter_rows():
            for cell in row:
                if cell.__class__.__name__ == "MergedCell":
                    continue
                drawn = sides(cell)
                fitted = fit(cell)
                if cell.value is not None or drawn or fitted:
                    out.write(f"cell\t{n}\t{cell.coordinate}\t{drawn}\t{text(cell.value)}\t{fitted}\n")


if __name__ == "__main__":
    main(sys.argv[1])
