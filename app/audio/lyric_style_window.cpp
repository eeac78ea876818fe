#include "app/audio/lyric_style_window.h"

#include "app/colour_box.h"
#include "app/audio/lyric_panel.h"
#include "app/widgets/outline_controls.h"
#include "audio/binding_commands.h"
#include "audio/music_table.h"
#include "core/colours.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fotarel::app {

namespace {

const QString kSampleText = QStringLiteral("此处歌词内容");

} // namespace

LyricStyleWindow::LyricStyleWindow(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      colours_(makeColourBox(QStringLiteral("suiColorBox_texiao_name"), this)),
      fonts_(new QComboBox(this)),
      sizes_(new QComboBox(this)),
      bold_(new QCheckBox(QStringLiteral("粗体"), this)),
      italic_(new QCheckBox(QStringLiteral("斜体"), this)),
      underline_(new QCheckBox(QStringLiteral("下划线"), this)),
      horizontal_{new QRadioButton(QStringLiteral("左边"), this), new QRadioButton(QStringLiteral("居中"), this),
                   new QRadioButton(QStringLiteral("右边"), this)},
      vertical_{new QRadioButton(QStringLiteral("上面"), this), new QRadioButton(QStringLiteral("中间"), this),
                 new QRadioButton(QStringLiteral("下面"), this)},
      sample_(new LyricPanel(QSize(audio::kSamplePanelWidth, audio::kSamplePanelHeight), this)),
      outline_(new OutlineControls(this))
{
    setObjectName(QStringLiteral("TForm16"));
    setWindowTitle(QStringLiteral("歌词设置"));
    setModal(true);
    fonts_->setObjectName(QStringLiteral("suiFontComboBox_texiao_name"));
    sizes_->setObjectName(QStringLiteral("suiFontSizeComboBox_texiao_name"));

    // The names the lyric rows use first, then every installed family.
    QStringList families{QStringLiteral("黑体"), QStringLiteral("宋体"), QStringLiteral("微软雅黑")};
    for (const QString& family : QFontDatabase::families())
        if (!families.contains(family))
            families.append(family);
    fonts_->addItems(families);
    fonts_->setMaxVisibleItems(20);

    auto* controls = new QGridLayout;
    auto addRow = [&](int r, const QString& caption, QWidget* control, const std::function<void()>& reset) {
        controls->addWidget(new QLabel(caption, this), r, 0);
        controls->addWidget(control, r, 1);
        auto* button = new QPushButton(QStringLiteral("默认"), this);
        button->setObjectName(QStringLiteral("suiButton_moren_%1").arg(r + 1));
        connect(button, &QPushButton::clicked, this, [this, reset] {
            reset();
            updateSample();
        });
        controls->addWidget(button, r, 2);
    };
    const audio::LyricStyle defaults;
    addRow(0, QStringLiteral("歌词颜色"), colours_, [this, defaults] { selectColour(colours_, defaults.colourName); });
    addRow(1, QStringLiteral("歌词字体"), fonts_, [this, defaults] { selectText(fonts_, defaults.font); });
    addRow(2, QStringLiteral("歌词大小"), sizes_,
           [this, defaults] { selectText(sizes_, QString::number(defaults.size)); });
    auto* styles = new QWidget(this);
    auto* styleRow = new QHBoxLayout(styles);
    styleRow->setContentsMargins(0, 0, 0, 0);
    for (QCheckBox* box : {bold_, italic_, underline_})
        styleRow->addWidget(box);
    addRow(3, QStringLiteral("字体样式"), styles, [this, defaults] {
        bold_->setChecked(defaults.bold);
        italic_->setChecked(defaults.italic);
        underline_->setChecked(defaults.underline);
    });
    auto radioRow = [this](QRadioButton* (&buttons)[3]) {
        auto* box = new QWidget(this);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        auto* group = new QButtonGroup(box);
        for (QRadioButton* b : buttons) {
            group->addButton(b);
            row->addWidget(b);
        }
        return box;
    };
    addRow(4, QStringLiteral("左右位置"), radioRow(horizontal_), [this] { horizontal_[1]->setChecked(true); });
    addRow(5, QStringLiteral("上下位置"), radioRow(vertical_), [this] { vertical_[2]->setChecked(true); });
    addRow(6, QStringLiteral("描边"), outline_, [this, defaults] { outline_->setOutline(defaults.outline); });
    connect(outline_, &OutlineControls::changed, this, &LyricStyleWindow::updateSample);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    ok->setObjectName(QStringLiteral("suiButton_queding"));
    cancel->setObjectName(QStringLiteral("suiButton_quxiao"));
    connect(ok, &QPushButton::clicked, this, [this] {
        store();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sample_, 0, Qt::AlignHCenter);
    layout->addLayout(controls);
    layout->addLayout(buttons);

    // Every change shows on the sample at once.
    for (QComboBox* box : {colours_, fonts_, sizes_})
        connect(box, &QComboBox::currentIndexChanged, this, &LyricStyleWindow::updateSample);
    for (QCheckBox* box : {bold_, italic_, underline_})
        connect(box, &QCheckBox::toggled, this, &LyricStyleWindow::updateSample);
    for (int i = 0; i < 3; ++i) {
        connect(horizontal_[i], &QRadioButton::toggled, this, &LyricStyleWindow::updateSample);
        connect(vertical_[i], &QRadioButton::toggled, this, &LyricStyleWindow::updateSample);
    }
}

void LyricStyleWindow::selectText(QComboBox* box, const QString& text)
{
    // A value that is not in the list leaves the list as it was.
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
}

void LyricStyleWindow::prepare(int row)
{
    row_ = row;
    sizes_->blockSignals(true);
    sizes_->clear();
    for (int size = 10; size <= 40; ++size)
        sizes_->addItem(QString::number(size));
    sizes_->blockSignals(false);
    const Table& lyrics = session_.table(audio::names::LyricTable);
    if (row >= 0 && row < lyrics.rowCount()) {
        const Row& cells = lyrics.row(row);
        const audio::LyricStyle style = audio::styleOfRow(cells);
        selectColour(colours_, cells.value(audio::LyricCol::ColourName));
        selectText(fonts_, cells.value(audio::LyricCol::Font));
        selectText(sizes_, cells.value(audio::LyricCol::Size));
        bold_->setChecked(style.bold);
        italic_->setChecked(style.italic);
        underline_->setChecked(style.underline);
        horizontal_[static_cast<int>(style.horizontal)]->setChecked(true);
        vertical_[static_cast<int>(style.vertical)]->setChecked(true);
        outline_->setOutline(style.outline);
    }
    updateSample();
}

bool LyricStyleWindow::run(int row)
{
    prepare(row);
    return exec() == QDialog::Accepted;
}

audio::LyricStyle LyricStyleWindow::chosenStyle() const
{
    audio::LyricStyle style;
    style.colourName = chosenColourName(colours_);
    style.colourValue = chosenColourValue(colours_, style.colourValue);
    style.font = fonts_->currentText();
    style.size = sizes_->currentText().toInt();
    if (style.size <= 0)
        style.size = audio::LyricStyle{}.size;
    style.bold = bold_->isChecked();
    style.italic = italic_->isChecked();
    style.underline = underline_->isChecked();
    for (int i = 0; i < 3; ++i) {
        if (horizontal_[i]->isChecked())
            style.horizontal = static_cast<audio::LyricStyle::Horizontal>(i);
        if (vertical_[i]->isChecked())
            style.vertical = static_cast<audio::LyricStyle::Vertical>(i);
    }
    style.outline = outline_->outline();
    return style;
}

void LyricStyleWindow::store()
{
    audio::setRowStyle(session_, row_, chosenStyle());
}

void LyricStyleWindow::updateSample()
{
    sample_->setLine(kSampleText, chosenStyle());
}

bool lyricStyleCommand(Session& session, UiPort& ui, LyricStyleWindow& window, std::optional<int> selected)
{
    const Table& lyrics = session.table(audio::names::LyricList);
    if (lyrics.isEmpty())
        return false;
    if (!selected || *selected < 0 || *selected >= session.table(audio::names::LyricTable).rowCount()) {
        ui.showMessage(audio::kNoLyricSelected);
        return false;
    }
    return window.run(*selected);
}

} // namespace fotarel::app
