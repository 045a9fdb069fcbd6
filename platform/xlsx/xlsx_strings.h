#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform::xlsx {

// A cell text as the file format stores it: characters XML cannot carry, and a literal "_xHHHH_", are
// written as _xHHHH_ escapes.
std::string EscapeCellText(std::string_view utf8);

// The workbook's shared string table. A text already in the table is used again; a new one is appended.
class SharedStrings {
  public:
    // The document holds an <sst> element (the caller creates an empty one for a workbook without a table).
    explicit SharedStrings(pugi::xml_document& doc);

    int Index(std::string_view utf8);
    int UniqueCount() const { return unique_; }
    // count is the number of cells that use the table, uniqueCount the number of its entries.
    void SetCounts(long long references);

  private:
    pugi::xml_node sst_;
    int unique_ = 0;
    std::unordered_map<std::string, int> plain_;
};

}  // namespace platform::xlsx
