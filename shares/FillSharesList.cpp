#include "FillSharesList.h"

#include "ui/ListSorting.h"
#include "ui/Text.h"

#include <QTreeWidget>
#include <QtAlgorithms>

#include <unordered_set>
#include <vector>

namespace corvane {

namespace {
// Far more parts than any server sends (Windows and Samba answer in one or a few); a server
// that keeps asking for more beyond this is broken.
constexpr int MaxEnumerationRounds = 10000;
} // namespace

int shareImageIndex(const ShareInfo502& share) {
    if (share.type == StypeDisktree)
        return share.path.size() > 3 ? ImageList::FolderShare : ImageList::DriveShare;
    if (share.type == StypePrintq)
        return ImageList::PrinterShare;
    return ImageList::DriveShare;
}

namespace {

std::size_t textBytesOf(const ShareInfo502& share) {
    return 2 * (share.netname.size() + share.path.size() + share.remark.size());
}

} // namespace

Status FillSharesList(ShareService& service, const QString& computer, QTreeWidget* list,
                      const ImageList& images, FillOrder order, const FillLimits& limits) {
    list->clear();
    const std::u16string server = toU16(computer);
    std::uint32_t resume = 0;
    // A resume handle seen before would ask for the same parts again, round and round.
    std::unordered_set<std::uint32_t> resumes{resume};
    int rounds = 0;
    std::vector<ShareInfo502> part;
    QList<QTreeWidgetItem*> rows;
    std::size_t textBytes = 0;
    Status filled = status::Success;
    // Rows show as the parts come, so a long list can be looked at while the rest is read;
    // shown again each time they have doubled, so all the sorting stays within twice the last.
    qsizetype shown = 0;
    const auto show = [&] {
        list->invisibleRootItem()->takeChildren();
        if (order == FillOrder::ByName)
            sortItemsByCaption(rows);
        list->addTopLevelItems(rows);
        shown = rows.size();
    };
    while (true) {
        const Status result = service.listShares(server, part, resume);
        if (result != status::Success && result != status::MoreData) {
            filled = result;
            break;
        }
        // Checked before any row of the part is made, so memory stays within the bounds.
        bool tooMuch = part.size() > limits.shares - static_cast<std::size_t>(rows.size());
        for (std::size_t i = 0; i < part.size() && !tooMuch; ++i) {
            textBytes += textBytesOf(part[i]);
            tooMuch = textBytes > limits.textBytes;
        }
        if (tooMuch) {
            qDeleteAll(rows);
            return status::NotEnoughMemory;
        }
        for (const ShareInfo502& share : part) {
            auto* row = new QTreeWidgetItem;
            row->setText(0, fromU16(share.netname));
            row->setText(1, fromU16(share.path));
            row->setText(2, fromU16(share.remark));
            setItemImage(row, images, shareImageIndex(share));
            rows.append(row);
        }
        if (result == status::Success)
            break;
        if (part.empty() || !resumes.insert(resume).second || ++rounds >= MaxEnumerationRounds) {
            // A server that keeps answering "more" without records, or with resume handles
            // it gave before, would loop forever.
            filled = status::RpcProtocolError;
            break;
        }
        if (rows.size() >= 2 * shown)
            show();
    }
    show();
    return filled;
}

} // namespace corvane
