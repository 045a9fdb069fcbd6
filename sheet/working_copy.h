#pragma once

// The copy of a template that a workbook is made in. It lies beside the workbook's output under a
// temporary name, so that the output is only ever written whole, by the application's SaveAs once
// the workbook is complete; an export that fails or is killed leaves an earlier output as it was.

#include <string>
#include <string_view>

namespace sheet {

class WorkingCopy {
  public:
    enum class Outcome {
        Made,
        SourceUnreadable,  // missing, not a regular file, or not readable
        SourceEmpty,       // empty, or larger than any template
        NotCreatable,      // the copy cannot be written beside the output
    };

    // Copies the template beside the output. Temporaries that dead exports left there for outputs
    // whose names begin with outputPrefix are removed first.
    WorkingCopy(const std::string& output, const std::string& source, std::string_view outputPrefix);
    ~WorkingCopy();  // removes the copy
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    Outcome outcome() const { return outcome_; }
    const std::string& path() const { return path_; }  // empty unless Made

  private:
    Outcome outcome_ = Outcome::NotCreatable;
    std::string path_;
};

}  // namespace sheet
