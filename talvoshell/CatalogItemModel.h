#pragma once

#include "platform/com/ComPtr.h"
#include "platform/shell/ItemIdList.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <vector>

namespace talvoshell {

class CTalvoFolder;

/// The items of a catalog folder in the folder's own order, with the practice columns: "Date & time", "Position",
/// "Shot count", "Result", "Comments". Folders show only their name and icon.
/// Thread rule: the user-interface thread.
class CatalogItemModel : public QAbstractTableModel {
public:
    explicit CatalogItemModel(platform::com::ComPtr<CTalvoFolder> folder, QObject* parent = nullptr);
    ~CatalogItemModel() override;

    /// Lists the folder's items that `include` accepts, sorted with the folder's CompareIDs.
    void Fill(const std::function<bool(platform::shell::LPCITEMIDLIST)>& include);
    /// Whether the folder's first item is a practice (the view then shows all columns).
    bool HoldsPractices() const { return m_holdsPractices; }
    platform::shell::LPCITEMIDLIST Item(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// Column widths in the order of the columns.
    static constexpr int kColumnWidths[] = {125, 50, 40, 50, 150};

private:
    platform::com::ComPtr<CTalvoFolder> m_folder;
    std::vector<platform::shell::ItemIdPtr> m_items;
    bool m_holdsPractices = false;
};

/// The icon of a catalog icon index (CatalogIcon).
QIcon CatalogIconImage(int index);

} // namespace talvoshell
