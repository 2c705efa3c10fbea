#include "ui/SetupCompareDlg.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CSetupCompareDlg::CSetupCompareDlg(QWidget* parent)
    : QDialog(parent)
    , m_pSummary(new QLabel(this))
    , m_pTable(new QTableWidget(0, 3, this))
    , m_pLoad(new QPushButton(QString::fromUtf8(kLoadText), this))
    , m_pSave(new QPushButton(QString::fromUtf8(kSaveText), this))
{
    setWindowTitle(QString::fromLatin1(kTitle));
    setModal(false);
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pTable->setHorizontalHeaderLabels({QStringLiteral("Zone field or parameter"), QStringLiteral("File"),
                                         QStringLiteral("Box")});
    m_pTable->verticalHeader()->hide();
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    // Room for any value (up to 16383) in the font the table uses.
    const int valueWidth = m_pTable->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16;
    for (int column : {1, 2}) {
        m_pTable->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_pTable->setColumnWidth(column, valueWidth);
    }
    m_pTable->setAccessibleName(QStringLiteral("Differences"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_pLoad, QDialogButtonBox::ActionRole);
    buttons->addButton(m_pSave, QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    // Enter in the table presses nothing by accident.
    for (QPushButton* button : {m_pLoad, m_pSave, close})
        button->setAutoDefault(false);
    close->setFocus();
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_pLoad, &QPushButton::clicked, this, [this] {
        QDialog::close();
        emit LoadRequested(m_path);
    });
    connect(m_pSave, &QPushButton::clicked, this, [this] {
        QDialog::close();
        emit SaveRequested(m_path);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pTable, 1);
    layout->addWidget(buttons);
    resize(QSize(460, 320));
}

void CSetupCompareDlg::Show(const QString& path, const std::vector<SetupDifference>& differences)
{
    m_path = path;
    const QString name = QFileInfo(path).fileName();
    m_pSummary->setText(differences.empty()
                            ? QStringLiteral("The box holds what %1 sets.").arg(name)
                            : QStringLiteral("%1 and the box differ in %2 %3:")
                                  .arg(name)
                                  .arg(differences.size())
                                  .arg(differences.size() == 1 ? QStringLiteral("value") : QStringLiteral("values")));
    m_pSummary->setToolTip(path);
    m_pTable->setRowCount(static_cast<int>(differences.size()));
    for (int row = 0; row < m_pTable->rowCount(); ++row) {
        const SetupDifference& d = differences[static_cast<size_t>(row)];
        const QString cells[] = {QString::fromStdString(d.What()), QString::number(d.file), QString::number(d.box)};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_pTable->setItem(row, column, item);
        }
    }
    m_pTable->setCurrentItem(nullptr);
    m_pTable->setVisible(!differences.empty());
    m_pLoad->setEnabled(!differences.empty());
    show();
    raise();
    activateWindow();
}
