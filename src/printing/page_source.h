#pragma once
// Documents produced page by page. A PageSource hands out its pages one at a time, in
// order, so that a document of any length is printed, previewed or written with about
// one page in memory; its page count is known before the first page is made.

#include <QSizeF>
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/result.h"
#include "printing/page_plan.h"

namespace kirimo::printing {

// The most pages one document (a chart, a sticker job) may have. Nobody prints more, and
// a print preview keeps every page it shows; longer documents are refused before any
// page is made.
inline constexpr int64_t kMaxDocumentPages = 10000;

// Refuses a document of more than kMaxDocumentPages pages. `what` names it ("the chart")
// and `advice` says how to ask for fewer pages; both go into the message.
Result<void> checkPageCount(int64_t pages, const std::string& what, const std::string& advice);

class PageSource {
  public:
    virtual ~PageSource() = default;

    // The paper upright and how it lies, as in PagePlan.
    virtual QSizeF paperSizeMm() const = 0;
    virtual PageOrientation orientation() const = 0;
    // How many pages next() gives in all.
    virtual int64_t pageCount() const = 0;
    // The next page; nothing after the last.
    virtual std::optional<Page> next() = 0;

    // The page as it lies: the paper's sides swapped for landscape.
    QSizeF pageSizeMm() const {
        return orientation() == PageOrientation::Landscape ? paperSizeMm().transposed()
                                                           : paperSizeMm();
    }
};

// The pages of a plan that is already whole (the plan must outlive the source).
class PlanPages final : public PageSource {
  public:
    explicit PlanPages(const PagePlan& plan) : plan_(plan) {}

    QSizeF paperSizeMm() const override { return plan_.paperSizeMm; }
    PageOrientation orientation() const override { return plan_.orientation; }
    int64_t pageCount() const override { return static_cast<int64_t>(plan_.pages.size()); }
    std::optional<Page> next() override {
        if (next_ >= plan_.pages.size())
            return std::nullopt;
        return plan_.pages[next_++];
    }

  private:
    const PagePlan& plan_;
    size_t next_ = 0;
};

// Every page the source has left, gathered into one plan (small documents and tests).
PagePlan collectPages(PageSource& source);

}  // namespace kirimo::printing
