#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/xlsx/xlsx_status.h"

namespace platform::xlsx {

// The parts of a zip package by name, in the order they were stored. Parts nobody touches are written
// back byte for byte.
class Package {
  public:
    static Status Load(const std::string& path, Package& into);
    // Builds the whole package beside the path and renames it over, so a failed write leaves the old file.
    Status Save(const std::string& path) const;

    const std::string* Find(const std::string& name) const;
    // Replaces the part of that name, or adds it at the end.
    void Put(const std::string& name, std::string bytes);
    std::vector<std::string> Names() const;
    bool operator==(const Package&) const = default;

  private:
    std::vector<std::pair<std::string, std::string>> parts_;
};

// Writes bytes to a file through a temporary file in the same folder and a rename.
Status ReplaceFile(const std::string& path, const std::string& bytes);

}  // namespace platform::xlsx
