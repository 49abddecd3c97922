#pragma once

#include <QLabel>
#include <QString>

#include <array>
#include <cstddef>

namespace talvodesk {

/// A word-wrapped label that remembers its height at the last few widths it was asked for and from which width its
/// text no longer wraps, and lays its text out for a new size only once it paints or takes input. Qt lays a wrapped
/// text out afresh on every ask and after every resize, and a page of them passes through several sizes before it
/// first shows.
class WrappedLabel final : public QLabel {
public:
    explicit WrappedLabel(QWidget* parent);

    int heightForWidth(int width) const override;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Height {
        int width = -1;
        int height = 0;
    };

    void forgetHeights() const;

    /// The text the heights are for: setText() tells a label nothing it could follow.
    mutable QString m_text;
    mutable std::array<Height, 8> m_heights{};
    mutable std::size_t m_next = 0;
    /// The height of the text with no line wrapped, and the narrowest width known to hold it so: any wider one does
    /// too. No width until the label is polished.
    mutable Height m_unwrapped;
    /// A resize QLabel has not been told of yet.
    bool m_resized = false;
};

} // namespace talvodesk
