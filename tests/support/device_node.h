#pragma once

#include <string>

namespace testing_support {

class TempFolder;

// A character device like /dev/<name> ("null", "zero") for a test that saves or reads through a
// link to a device. As the superuser it is a node of the folder's own with the same numbers, so
// that a faulty save can replace nothing of the system's; for anyone else, who cannot replace
// what is in /dev, the system's own. Empty when the node could not be made.
std::string DeviceLike(const TempFolder& folder, const std::string& name);

}  // namespace testing_support
