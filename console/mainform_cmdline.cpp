// The unattended run that a scheduled task starts with a command line.
#include "console/mainform.h"

namespace corvane::forms {

void mainform::CommandLineRun() {}

} // namespace corvane::forms
