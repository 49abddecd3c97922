#include "talvodesk/views/ShotDetailsPane.h"

#include "talvodesk/core/analysis/ShotDetails.h"
#include "talvodesk/core/analysis/chart/ChartStrings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace talvodesk {

namespace {

constexpr QRgb kRowBackground = 0xF5F5F5;

} // namespace

CShotDetailsPane::CShotDetailsPane(const ChartServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_title(new QLabel(this)), m_table(new QWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_title->setObjectName(QStringLiteral("ShotDetailsTitle"));
    m_title->setMargin(3);
    layout->addWidget(m_title);
    layout->addWidget(m_table);
    layout->addStretch(1);

    m_widgets.bind(m_table, u"idShotNumberRow");
    auto* rows = new QVBoxLayout(m_table);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setSpacing(6);
    for (const ShotPageRow& row : kShotPageRows) {
        const std::u16string id(row.id);
        auto* line = new QWidget(m_table);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, QColor(kRowBackground));
        line->setPalette(palette);
        auto* cells = new QHBoxLayout(line);
        cells->setContentsMargins(2, 2, 2, 2);
        auto* caption = new QLabel(line);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        auto* value = new QLabel(line);
        // Both show their element's HTML.
        caption->setTextFormat(Qt::RichText);
        value->setTextFormat(Qt::RichText);
        cells->addWidget(m_widgets.bind(caption, id + u"Title"), 6);
        cells->addWidget(m_widgets.bind(value, id), 4);
        rows->addWidget(line);
        if (row.ownRow) {
            m_widgets.bind(line, id + u"Row");
        }
    }
    m_widgets.attach(m_page, *this);
    Reload();
}

void CShotDetailsPane::Reload()
{
    m_title->setText(QString::fromStdU16String(ChartText(m_services, chartstrings::kShotDetails)));
    DeclareShotPage(m_page, [this](std::uint32_t id) { return ChartText(m_services, id); });
}

int CShotDetailsPane::headerHeight() const
{
    return m_title->sizeHint().height();
}

int CShotDetailsPane::pageHeight() const
{
    return m_table->sizeHint().height();
}

} // namespace talvodesk
