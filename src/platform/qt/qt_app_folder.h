#pragma once

#include "platform/core/controls.h"

namespace velmora {

// The folder the program file lies in, from the running application, with the platform's own
// separators. Needs a QCoreApplication.
class QtAppFolder : public AppFolder {
public:
    std::string Path() const override;
    char Separator() const override;
};

// `folder` in the platform's separators, without a trailing separator except at the root of a
// drive or of the file system ("/", "C:\").
std::string withoutTrailingSeparator(const std::string& folder);

}  // namespace velmora
