#pragma once

#include "reports/report_contents.h"

#include <QString>

namespace tallyport {

// A report as plain text: the page header once at the top (left and right labels on one line,
// the title, the header lines), then one printed line per line; blank bands are empty lines.
QString reportText(const ReportContents& rc);

}  // namespace tallyport
