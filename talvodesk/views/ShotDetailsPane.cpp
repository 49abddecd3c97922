#include "talvodesk/views/ShotDetailsPane.h"

#include "talvodesk/core/chart/ChartStrings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace talvodesk {

namespace {

struct PageRow {
    const char* id;
    std::uint32_t caption;
    /// The row has an id of its own ("<id>Row") and can be hidden.
    bool ownRow;
    bool shownAtLoad;
};

constexpr PageRow kRows[] = {
    {"idShotNumber", chartstrings::kMatchShotNumber, false, true},
    {"idShotTime", chartstrings::kDateTime, false, true},
    {"idShotResult", chartstrings::kShotResult, false, true},
    {"idShotPulse", chartstrings::kShotPulse, true, false},
    {"idShotElapsed", chartstrings::kTimeElapsed, false, true},
    {"idShotIntervalPrev", chartstrings::kIntervalPrevious, true, true},
    {"idShotIntervalNext", chartstrings::kIntervalNext, true, true},
};
constexpr QRgb kRowBackground = 0xF5F5F5;

QString qtext(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString qtext(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

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

    m_table->setObjectName(QStringLiteral("idShotNumberRow"));
    m_rows.insert(m_table->objectName(), m_table);
    auto* rows = new QVBoxLayout(m_table);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setSpacing(6);
    for (const PageRow& row : kRows) {
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
        value->setTextFormat(Qt::PlainText);
        value->setObjectName(QString::fromLatin1(row.id));
        cells->addWidget(caption, 6);
        cells->addWidget(value, 4);
        rows->addWidget(line);
        m_values.insert(value->objectName(), value);
        m_captions.insert(value->objectName(), caption);
        if (row.ownRow) {
            line->setObjectName(value->objectName() + QStringLiteral("Row"));
            m_rows.insert(line->objectName(), line);
        }
    }
    Reload();
}

void CShotDetailsPane::Reload()
{
    m_title->setText(qtext(ChartText(m_services, chartstrings::kShotDetails)));
    for (const PageRow& row : kRows) {
        const QString id = QString::fromLatin1(row.id);
        m_captions.value(id)->setText(qtext(ChartText(m_services, row.caption)));
        m_values.value(id)->clear();
        if (row.ownRow) {
            m_rows.value(id + QStringLiteral("Row"))->setVisible(row.shownAtLoad);
        }
    }
    m_table->setVisible(true);
}

bool CShotDetailsPane::SetElementText(std::u16string_view id, std::u16string_view text)
{
    const QString name = qtext(id);
    if (QWidget* row = m_rows.value(name + QStringLiteral("Row"))) {
        row->setVisible(!text.empty());
    }
    QLabel* value = m_values.value(name);
    if (!value) {
        return false;
    }
    value->setText(qtext(text));
    return true;
}

QString CShotDetailsPane::elementText(const QString& id) const
{
    const QLabel* value = m_values.value(id);
    return value ? value->text() : QString();
}

bool CShotDetailsPane::isElementShown(const QString& id) const
{
    const QLabel* value = m_values.value(id);
    return value && value->isVisibleTo(this);
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
