#pragma once

#include "reports/member_list.h"
#include "reports/ui/report_pages.h"

#include <QStringList>
#include <array>
#include <vector>

namespace tallyport {

class WorkContext;

// The member list on A4 pages: the frame's header ("Time Attendance", the title) and footer,
// the column titles on every page, one row per holder with the remarks word-wrapped in their
// column. A row stays on one page unless it is taller than a page.
class MemberListDocument final : public PagedDocument {
public:
    static constexpr int kColumns = 4;  // card number, name, group, remarks
    // A holder's row: the lines of each column as wrapped to the column's width.
    struct Row {
        std::array<QStringList, kColumns> cells;
        int lineCount() const;
    };
    // A part of a row on a page: lines [firstLine, firstLine + lines) of row `row`.
    struct Piece {
        size_t row = 0;
        int firstLine = 0;
        int lines = 0;
    };
    struct Measures {
        double width = 0;
        double height = 0;
        double lineHeight = 0;
        double columnsTop = 0;  // the column titles
        double bodyTop = 0;     // the first row
        double bodyEnd = 0;     // above the footer
    };

    int pageCount() const override { return int(m_pages.size()); }
    // A4 portrait; margins 10 mm top and bottom, 25 mm left, 10 mm right.
    QPageLayout pageLayout() const override;
    QString title() const override { return kMemberListTitle; }
    void setPrintedOn(const QDateTime& when) override { m_printedOn = when; }
    std::unique_ptr<PagePainter> makePainter() const override;

    const QDateTime& printedOn() const { return m_printedOn; }
    const Measures& measures() const { return m_measures; }
    const std::vector<Row>& rows() const { return m_rows; }
    const std::vector<Piece>& page(int index) const { return m_pages[size_t(index)]; }

private:
    friend Result<MemberListDocument> layoutMemberList(const std::vector<MemberRow>&,
                                                       const QDateTime&, WorkContext*);
    QDateTime m_printedOn;
    Measures m_measures;
    std::vector<Row> m_rows;
    std::vector<std::vector<Piece>> m_pages;
};

// The left edges of the columns in millimetres: card number, name, group, remarks.
inline constexpr std::array<double, MemberListDocument::kColumns> kMemberColumnsMm{0, 26.5, 73.0,
                                                                                   120.7};

// Wraps and paginates the rows (on a worker: no widget and no device is read). Nobody gives
// one page with the header, the column titles and the footer. `work` hears the progress and
// may cancel (the answer is then an error).
Result<MemberListDocument> layoutMemberList(const std::vector<MemberRow>& members,
                                            const QDateTime& printedOn,
                                            WorkContext* work = nullptr);

// Laid out and written as a PDF file in one call (aside, then renamed into place). Needs a
// QGuiApplication.
Result<void> writeMemberListPdf(const std::vector<MemberRow>& members, const QString& path,
                                const QDateTime& printedOn);

}  // namespace tallyport
