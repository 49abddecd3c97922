#include "talvodesk/views/PageWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>

namespace talvodesk {
namespace {

/// A wrapped label that counts how often a layout measures it.
class CountingLabel final : public QLabel {
public:
    CountingLabel(QWidget* parent, int& measured) : QLabel(parent), m_measured(measured)
    {
        setTextFormat(Qt::RichText);
        setWordWrap(true);
    }

    int heightForWidth(int width) const override
    {
        ++m_measured;
        return QLabel::heightForWidth(width);
    }

private:
    int& m_measured;
};

/// A page built as the info page is: rows of wrapped labels, one row hidden, and a host whose size is set by hand
/// and whose own layout sizes what it holds.
struct Page {
    Page()
    {
        root.resize(300, 400);
        auto* rows = new QVBoxLayout(&root);
        for (const std::u16string id : {u"0", u"1", u"2"}) {
            auto* row = new QWidget(&root);
            auto* cells = new QHBoxLayout(row);
            for (const std::u16string& name : {u"title" + id, u"value" + id}) {
                cells->addWidget(widgets.bind(new CountingLabel(row, measured), name), 1);
                elements.add(name, u"inline", u"<b>" + name + u"</b>");
            }
            rows->addWidget(widgets.bind(row, u"row" + id));
            elements.add(u"row" + id, id == u"2" ? u"none" : u"block");
        }
        host = new QWidget(&root);
        held = new QWidget(host);
        (new QVBoxLayout(host))->addWidget(held);
        rows->addWidget(host);
        widgets.attach(elements, root);
    }

    /// Shows the hidden row, hides another, wraps a value and sets the host's size.
    void change()
    {
        elements.SetElementDisplay(u"row2", u"block");
        elements.SetElementDisplay(u"row0", u"none");
        elements.SetElementHtml(u"value1", u"a value long enough to wrap over a few lines of this narrow page");
        host->setFixedSize(120, 60);
    }

    int measured = 0;
    QWidget root;
    PageElements elements;
    PageWidgets widgets;
    QWidget* host = nullptr;
    QWidget* held = nullptr;
};

TEST(PageWidgetsTest, ABatchLaysThePageOutOnlyAtItsEndAsItsChangesOneByOneWould)
{
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "shown" : "hidden until the batch ends");
        Page single;
        single.root.show();
        single.change();

        Page batched;
        batched.root.setVisible(shown);
        QApplication::processEvents();
        batched.measured = 0;
        {
            const PageElements::Batch batch(batched.elements);
            batched.change();
            EXPECT_EQ(0, batched.measured);
        }
        batched.root.show();
        EXPECT_GT(batched.measured, 0);

        QApplication::processEvents();
        for (const char* id : {"row1", "row2", "title1", "value1", "title2", "value2"}) {
            EXPECT_EQ(single.widgets.element(QString::fromLatin1(id))->geometry(),
                      batched.widgets.element(QString::fromLatin1(id))->geometry())
                << id;
        }
        EXPECT_EQ(single.host->geometry(), batched.host->geometry());
        EXPECT_EQ(single.held->geometry(), batched.held->geometry()) << "the host's resize during the batch";
    }
}

} // namespace
} // namespace talvodesk
