#include "tests/support/workbook_reader.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

extern char** environ;

namespace testing_support {
namespace {

// Both outputs are read as they come, so neither pipe fills while the other is waited on.
bool Run(const std::vector<std::string>& argv, std::string& out, std::string& err) {
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0) return false;
    if (pipe(errPipe) != 0) {
        close(outPipe[0]), close(outPipe[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]), close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]), close(errPipe[0]);
        err = "cannot start " + argv[0];
        return false;
    }
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[++i];
        plain += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return plain;
}

// One line a fact: kind, key and value, tab-separated, with tabs, line feeds and backslashes escaped.
constexpr const char* kDumpScript = R"PY(
import sys, openpyxl
def esc(v):
    return str(v).replace('\\', '\\\\').replace('\n', '\\n').replace('\t', '\\t')
def out(kind, key, value):
    print(kind + '\t' + esc(key) + '\t' + esc(value))
try:
    wb = openpyxl.load_workbook(sys.argv[1])
except Exception as e:
    out('error', '', repr(e))
    sys.exit(0)
out('active', '', wb.active.title)
for ws in wb.worksheets:
    t = ws.title
    out('sheet', t, ws.sheet_state)
    # Only the cells the file holds: walking the whole extent of a sheet written to XFD1048576 never ends.
    for (r, k), c in sorted(ws._cells.items()):
        if True:
            key = t + '!' + c.coordinate
            if c.value is not None:
                out('value', key, c.value)
            parts = []
            if c.font is not None and c.font.b:
                parts.append('bold')
            if c.fill is not None and c.fill.fill_type:
                parts.append('fill=' + str(c.fill.fgColor.rgb))
            if c.border is not None and c.border.left is not None and c.border.left.style:
                parts.append('border=' + c.border.left.style)
            parts.append('fmt=' + str(c.number_format))
            out('style', key, ' '.join(parts))
            if c.hyperlink is not None:
                out('link', key, c.hyperlink.target or c.hyperlink.location)
    for r, d in sorted(ws.row_dimensions.items()):
        parts = []
        if d.height is not None:
            parts.append('ht=%g' % d.height)
        if d.hidden:
            parts.append('hidden')
        if parts:
            out('row', t + '!' + str(r), ' '.join(parts))
    out('merges', t, ' '.join(sorted(str(m) for m in ws.merged_cells.ranges)))
    if ws.print_area:
        out('printArea', t, ws.print_area if isinstance(ws.print_area, str) else ','.join(ws.print_area))
    if ws.print_title_rows:
        out('printTitles', t, ws.print_title_rows)
    ps = ws.page_setup
    out('pageSetup', t, '%s paper=%s fitW=%s footer=%s' % (ps.orientation, ps.paperSize, ps.fitToWidth,
                                                          ws.oddFooter.center.text))
    out('breaks', t, ' '.join(str(b.id) for b in ws.row_breaks.brk))
    out('formats', t, ' '.join(sorted(str(f.sqref) for f in ws.conditional_formatting)))
    out('validations', t, ' '.join(sorted(str(v.sqref) for v in ws.data_validations.dataValidation)))
)PY";

constexpr const char* kRepairScript = R"PY(
import sys, re, zipfile, xml.etree.ElementTree as ET
problems = []
def say(text):
    problems.append(text)
def local(tag):
    return tag.split('}')[-1]
def kids(node, name):
    return [k for k in node if local(k.tag) == name]
def col_number(letters):
    n = 0
    for ch in letters:
        n = n * 26 + ord(ch) - 64
    return n
def cell(ref):
    m = re.fullmatch(r'([A-Z]{1,3})([1-9][0-9]*)', ref or '')
    if not m:
        return None
    return int(m.group(2)), col_number(m.group(1))
def area(ref):
    ends = [cell(p) for p in (ref or '').split(':')]
    if not ends or None in ends or len(ends) > 2:
        return None
    a, b = ends[0], ends[-1]
    return min(a[0], b[0]), min(a[1], b[1]), max(a[0], b[0]), max(a[1], b[1])
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
if len(names) != len(set(names)):
    say('a part is stored twice')
docs = {}
for n in names:
    if n.endswith('.xml') or n.endswith('.rels'):
        try:
            docs[n] = ET.fromstring(z.read(n))
        except ET.ParseError as e:
            say('%s does not parse: %s' % (n, e))
types = docs.get('[Content_Types].xml')
defaults = {d.get('Extension').lower() for d in kids(types, 'Default')} if types is not None else set()
overrides = {o.get('PartName') for o in kids(types, 'Override')} if types is not None else set()
for n in names:
    if n != '[Content_Types].xml' and '/' + n not in overrides and n.rsplit('.', 1)[-1].lower() not in defaults:
        say('no content type for ' + n)
for o in overrides:
    if o[1:] not in names:
        say('content type for a missing part ' + o)
def resolve(source, target):
    if target.startswith('/'):
        return target[1:]
    parts = source.split('/')[:-1] + target.split('/')
    out = []
    for p in parts:
        if p == '..':
            out and out.pop()
        elif p and p != '.':
            out.append(p)
    return '/'.join(out)
rels = {}
for n, doc in docs.items():
    if not n.endswith('.rels'):
        continue
    source = n.replace('_rels/', '')[:-5]
    ids = set()
    for r in kids(doc, 'Relationship'):
        if r.get('Id') in ids:
            say('relationship id used twice in ' + n)
        ids.add(r.get('Id'))
        if r.get('TargetMode') == 'External':
            continue
        part = resolve(source, r.get('Target'))
        rels[(source, r.get('Id'))] = (r.get('Type'), part)
        if part not in names:
            say('%s points at a missing part %s' % (n, part))
wbpart = [p for (s, i), (t, p) in rels.items() if s == '' and t.endswith('/officeDocument')][0]
wb = docs[wbpart]
RID = '{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id'
sheets = kids(kids(wb, 'sheets')[0], 'sheet')
seen = set()
for s in sheets:
    name = s.get('name')
    if not (1 <= len(name) <= 31) or any(ch in name for ch in ':\\/?*[]') or name[0] == "'" or name[-1] == "'":
        say('a spreadsheet refuses the sheet name ' + name)
    if name.lower() in seen:
        say('two sheets are named ' + name)
    seen.add(name.lower())
visible = [i for i, s in enumerate(sheets) if s.get('state', 'visible') == 'visible']
if not visible:
    say('no sheet is visible')
views = kids(kids(wb, 'bookViews')[0], 'workbookView') if kids(wb, 'bookViews') else []
active = int(views[0].get('activeTab', '0')) if views else 0
if active not in visible:
    say('the sheet on show is hidden or missing')
for dn in (kids(kids(wb, 'definedNames')[0], 'definedName') if kids(wb, 'definedNames') else []):
    if dn.get('localSheetId') is not None and not 0 <= int(dn.get('localSheetId')) < len(sheets):
        say('a defined name belongs to no sheet')
styles = None
sst = None
for (s, i), (t, p) in rels.items():
    if s == wbpart and t.endswith('/styles'):
        styles = docs[p]
    if s == wbpart and t.endswith('/sharedStrings'):
        sst = docs[p]
xfs = len(kids(kids(styles, 'cellXfs')[0], 'xf')) if styles is not None and kids(styles, 'cellXfs') else 1
unique = len(kids(sst, 'si')) if sst is not None else 0
references = 0
for i, s in enumerate(sheets):
    kind, part = rels[(wbpart, s.get(RID))]
    if not kind.endswith('/worksheet'):
        continue
    ws = docs[part]
    title = s.get('name')
    selected = any(v.get('tabSelected') in ('1', 'true') for sv in kids(ws, 'sheetViews') for v in kids(sv, 'sheetView'))
    if selected and i != active:
        say(title + ': selected but not on show')
    last_row = 0
    extent = None
    for row in kids(kids(ws, 'sheetData')[0], 'row'):
        r = int(row.get('r', str(last_row + 1)))  # a row may leave its number implicit
        if not (last_row < r <= 1048576):
            say('%s: row %d out of order or twice' % (title, r))
        last_row = r
        if row.get('s') is not None and int(row.get('s')) >= xfs:
            say('%s: row %d has a style past the table' % (title, r))
        last_col = 0
        for c in kids(row, 'c'):
            at = cell(c.get('r')) if c.get('r') else (r, last_col + 1)
            if at is None or at[0] != r:
                say('%s: cell %s is not in row %d' % (title, c.get('r'), r))
                last_col += 1
                continue
            if at[1] <= last_col:
                say('%s: cell %s out of order or twice' % (title, c.get('r') or at))
            last_col = at[1]
            extent = (min(extent[0], r), min(extent[1], at[1]), max(extent[2], r), max(extent[3], at[1])) if extent else (r, at[1], r, at[1])
            if int(c.get('s', '0')) >= xfs:
                say('%s: cell %s has a style past the table' % (title, c.get('r')))
            if c.get('t') == 's':
                references += 1
                v = kids(c, 'v')
                if not v or not v[0].text or not 0 <= int(v[0].text) < unique:
                    say('%s: cell %s names no shared string' % (title, c.get('r')))
    dims = kids(ws, 'dimension')
    if extent and dims:
        d = area(dims[0].get('ref'))
        if d is None or d[0] > extent[0] or d[1] > extent[1] or d[2] < extent[2] or d[3] < extent[3]:
            say('%s: the dimension %s does not cover the cells' % (title, dims[0].get('ref')))
    for container, item in (('mergeCells', 'mergeCell'), ('dataValidations', 'dataValidation')):
        for m in kids(ws, container):
            if m.get('count') is not None and int(m.get('count')) != len(kids(m, item)):
                say('%s: %s count is wrong' % (title, container))
            if not kids(m, item):
                say('%s: empty %s' % (title, container))
    merged = []
    for m in (kids(kids(ws, 'mergeCells')[0], 'mergeCell') if kids(ws, 'mergeCells') else []):
        a = area(m.get('ref'))
        if a is None or (a[0] == a[2] and a[1] == a[3]):
            say('%s: merge %s is no area' % (title, m.get('ref')))
            continue
        for b in merged:
            if a[0] <= b[2] and b[0] <= a[2] and a[1] <= b[3] and b[1] <= a[3]:
                say('%s: merges overlap at %s' % (title, m.get('ref')))
        merged.append(a)
    link_ids = [h.get(RID) for hs in kids(ws, 'hyperlinks') for h in kids(hs, 'hyperlink') if h.get(RID)]
    if len(link_ids) != len(set(link_ids)):
        say('%s: hyperlinks share a relationship' % title)
    sheet_rels = docs.get(part.rsplit('/', 1)[0] + '/_rels/' + part.rsplit('/', 1)[1] + '.rels')
    for i in link_ids:
        if sheet_rels is None or not any(r.get('Id') == i for r in kids(sheet_rels, 'Relationship')):
            say('%s: a hyperlink names no relationship' % title)
    for f in kids(ws, 'conditionalFormatting'):
        if not f.get('sqref') or any(area(p) is None for p in f.get('sqref').split()):
            say('%s: conditional format with a bad area' % title)
if sst is not None:
    if sst.get('uniqueCount') is not None and int(sst.get('uniqueCount')) != unique:
        say('uniqueCount %s for %d strings' % (sst.get('uniqueCount'), unique))
    if sst.get('count') is not None and int(sst.get('count')) != references:
        say('count %s for %d cells' % (sst.get('count'), references))
for p in problems:
    print(p)
)PY";

}  // namespace

std::string RunPython(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {ZKV_PYTHON3, "-c", script};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    std::string err;
    if (!Run(argv, out, err)) ADD_FAILURE() << "python failed: " << err;
    return out;
}

OpenpyxlView ReadWithOpenpyxl(const std::string& path) {
    OpenpyxlView view;
    std::istringstream lines(RunPython(kDumpScript, {path}));
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) continue;
        const std::string kind = line.substr(0, tab1);
        const std::string key = Unescape(line.substr(tab1 + 1, tab2 - tab1 - 1));
        const std::string value = Unescape(line.substr(tab2 + 1));
        if (kind == "error")
            view.error = value;
        else if (kind == "active")
            view.active = value;
        else if (kind == "sheet")
            view.sheets.push_back(key), view.states[key] = value;
        else if (kind == "value")
            view.values[key] = value;
        else if (kind == "style")
            view.styles[key] = value;
        else if (kind == "link")
            view.links[key] = value;
        else if (kind == "row")
            view.rows[key] = value;
        else if (kind == "merges")
            view.merges[key] = value;
        else if (kind == "printArea")
            view.printAreas[key] = value;
        else if (kind == "printTitles")
            view.printTitles[key] = value;
        else if (kind == "pageSetup")
            view.pageSetups[key] = value;
        else if (kind == "breaks")
            view.pageBreaks[key] = value;
        else if (kind == "formats")
            view.formats[key] = value;
        else if (kind == "validations")
            view.validations[key] = value;
    }
    return view;
}

std::vector<std::string> OpenpyxlView::ValuesOf(const std::string& sheet, const std::string& column,
                                                int fromRow, int toRow) const {
    std::vector<std::string> found;
    for (int row = fromRow; row <= toRow; ++row) {
        const auto value = values.find(sheet + "!" + column + std::to_string(row));
        found.push_back(value == values.end() ? "" : value->second);
    }
    return found;
}

std::vector<std::string> RepairProblems(const std::string& path) {
    std::vector<std::string> problems;
    std::istringstream lines(RunPython(kRepairScript, {path}));
    std::string line;
    while (std::getline(lines, line)) problems.push_back(line);
    return problems;
}

}  // namespace testing_support
