#include "printing/page_source.h"

namespace kirimo::printing {

Result<void> checkPageCount(int64_t pages, const std::string& what, const std::string& advice) {
    if (pages <= kMaxDocumentPages)
        return {};
    return makeError(what + " would have " + std::to_string(pages) + " pages, more than the " +
                     std::to_string(kMaxDocumentPages) + " pages one document may have" +
                     (advice.empty() ? std::string() : ": " + advice));
}

PagePlan collectPages(PageSource& source) {
    PagePlan plan;
    plan.paperSizeMm = source.paperSizeMm();
    plan.orientation = source.orientation();
    plan.pages.reserve(static_cast<size_t>(std::max<int64_t>(0, source.pageCount())));
    while (auto page = source.next())
        plan.pages.push_back(std::move(*page));
    return plan;
}

}  // namespace kirimo::printing
