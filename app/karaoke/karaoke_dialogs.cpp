#include "app/karaoke/karaoke_dialogs.h"

#include "app/colour_box.h"
#include "app/widgets/outline_controls.h"

#include "core/colours.h"
#include "karaoke/lyric_type.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace fotarel::app {

namespace {

void selectText(QComboBox* box, const QString& text)
{
    int index = box->findText(text);
    if (index < 0) {
        box->addItem(text);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

QPushButton* defaultButton(QWidget* parent, const QString& objectName)
{
    auto* button = new QPushButton(QStringLiteral("默认"), parent);
    button->setObjectName(objectName);
    return button;
}

} // namespace

KaraokeStyleDialog::KaraokeStyleDialog(QWidget* parent)
    : QDialog(parent),
      baseColour_(makeColourBox(QStringLiteral("ColorBox_geciyanse"), this)),
      sungColour_(makeColourBox(QStringLiteral("ColorBox_xuanranyanse"), this)),
      font_(new QComboBox(this)),
      size_(new QComboBox(this)),
      bold_(new QCheckBox(QStringLiteral("粗体"), this)),
      italic_(new QCheckBox(QStringLiteral("斜体"), this)),
      underline_(new QCheckBox(QStringLiteral("下划线"), this)),
      simplified_(new QRadioButton(QStringLiteral("简体文字"), this)),
      traditional_(new QRadioButton(QStringLiteral("繁体文字"), this)),
      outline_(new OutlineControls(this))
{
    setObjectName(QStringLiteral("TForm47"));
    setWindowTitle(QStringLiteral("卡拉OK设置"));
    setModal(true);
    font_->setObjectName(QStringLiteral("ComboBox_geciziti"));
    // The names the program uses first (they resolve to installed CJK fonts), then every installed family.
    font_->addItems({QStringLiteral("黑体"), QStringLiteral("宋体"), QStringLiteral("微软雅黑")});
    font_->addItems(QFontDatabase::families());
    size_->setObjectName(QStringLiteral("ComboBox_gecidaxiao"));
    for (int s = karaoke::kMinSize; s <= karaoke::kMaxSize; ++s)
        size_->addItem(QString::number(s));
    bold_->setObjectName(QStringLiteral("CheckBox_cuti"));
    italic_->setObjectName(QStringLiteral("CheckBox_xieti"));
    underline_->setObjectName(QStringLiteral("CheckBox_xiahuaxian"));
    simplified_->setObjectName(QStringLiteral("RadioButton_jianti"));
    traditional_->setObjectName(QStringLiteral("RadioButton_fanti"));
    auto* scripts = new QButtonGroup(this);
    scripts->addButton(simplified_);
    scripts->addButton(traditional_);

    const karaoke::KaraokeStyle defaults = karaoke::KaraokeStyle::dialogDefaults();
    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* field, const QString& defaultName,
                      std::function<void()> reset) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(field, row, 1);
        QPushButton* button = defaultButton(this, defaultName);
        connect(button, &QPushButton::clicked, this, reset);
        grid->addWidget(button, row, 2);
        ++row;
    };
    addRow(QStringLiteral("歌词颜色"), baseColour_, QStringLiteral("suiButton_moren_geciyanse"),
           [this, defaults] { selectColour(baseColour_, defaults.baseName); });
    addRow(QStringLiteral("渲染颜色"), sungColour_, QStringLiteral("suiButton_moren_xuanranyanse"),
           [this, defaults] { selectColour(sungColour_, defaults.sungName); });
    addRow(QStringLiteral("歌词字体"), font_, QStringLiteral("suiButton_moren_geciziti"),
           [this, defaults] { selectText(font_, defaults.font); });
    addRow(QStringLiteral("歌词大小"), size_, QStringLiteral("suiButton_moren_gecidaxiao"),
           [this, defaults] { selectText(size_, QString::number(defaults.size)); });
    auto* styles = new QWidget(this);
    auto* stylesLayout = new QHBoxLayout(styles);
    stylesLayout->setContentsMargins(0, 0, 0, 0);
    stylesLayout->addWidget(bold_);
    stylesLayout->addWidget(italic_);
    stylesLayout->addWidget(underline_);
    addRow(QStringLiteral("字形"), styles, QStringLiteral("suiButton_moren_zixing"), [this, defaults] {
        bold_->setChecked(defaults.bold);
        italic_->setChecked(defaults.italic);
        underline_->setChecked(defaults.underline);
    });
    auto* script = new QWidget(this);
    auto* scriptLayout = new QHBoxLayout(script);
    scriptLayout->setContentsMargins(0, 0, 0, 0);
    scriptLayout->addWidget(simplified_);
    scriptLayout->addWidget(traditional_);
    addRow(QStringLiteral("文字"), script, QStringLiteral("suiButton_moren_jianfan"),
           [this] { simplified_->setChecked(true); });
    addRow(QStringLiteral("描边"), outline_, QStringLiteral("suiButton_moren_miaobian"),
           [this, defaults] { outline_->setOutline(defaults.outline); });

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("suiButton_queding"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("suiButton_quxiao"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void KaraokeStyleDialog::setStyle(const karaoke::KaraokeStyle& style)
{
    selectColour(baseColour_, style.baseName);
    selectColour(sungColour_, style.sungName);
    selectText(font_, style.font);
    selectText(size_, QString::number(style.size));
    bold_->setChecked(style.bold);
    italic_->setChecked(style.italic);
    underline_->setChecked(style.underline);
    (style.script == QLatin1String("fanti") ? traditional_ : simplified_)->setChecked(true);
    outline_->setOutline(style.outline);
}

karaoke::KaraokeStyle KaraokeStyleDialog::style() const
{
    karaoke::KaraokeStyle style;
    style.baseName = chosenColourName(baseColour_);
    style.baseValue = chosenColourValue(baseColour_, style.baseValue);
    style.sungName = chosenColourName(sungColour_);
    style.sungValue = chosenColourValue(sungColour_, style.sungValue);
    style.font = font_->currentText();
    style.size = size_->currentText().toInt();
    style.bold = bold_->isChecked();
    style.italic = italic_->isChecked();
    style.underline = underline_->isChecked();
    style.script = traditional_->isChecked() ? QStringLiteral("fanti") : QStringLiteral("jianti");
    style.outline = outline_->outline();
    return style;
}

KaraokeMatchWindow::KaraokeMatchWindow(const Session& session, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("TForm51"));
    setWindowTitle(QStringLiteral("查看匹配"));
    setModal(true);
    resize(560, 360);
    list_->setObjectName(QStringLiteral("ListView_pipei"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("序号"), QStringLiteral("音乐文件"), QStringLiteral("对应"),
                            QStringLiteral("歌词文件")});
    const std::vector<karaoke::MatchRow> rows = karaoke::matchRows(session);
    for (std::size_t i = 0; i < rows.size(); ++i)
        new QTreeWidgetItem(list_, {QString::number(i + 1), rows[i].song, QStringLiteral("<--->"), rows[i].lyric});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("suiButton_queding"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

LyricTypeDialog::LyricTypeDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      lrc_(new QRadioButton(karaoke::kChoiceLrc, this)),
      ksc_(new QRadioButton(karaoke::kChoiceKsc, this)),
      both_(new QRadioButton(karaoke::kChoiceBoth, this))
{
    setObjectName(QStringLiteral("TForm49"));
    setWindowTitle(karaoke::kLyricTypeTitle);
    setModal(true);
    lrc_->setObjectName(QStringLiteral("RadioButton_shiyong_lrc"));
    ksc_->setObjectName(QStringLiteral("RadioButton_shiyong_ksc"));
    both_->setObjectName(QStringLiteral("RadioButton_shiyong_lrcksc"));
    auto* explanation = new QLabel(karaoke::kLyricTypeExplanation, this);
    explanation->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("suiButton_queding"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    const std::pair<QRadioButton*, QLatin1StringView> choices[] = {
        {lrc_, karaoke::kUseLrc}, {ksc_, karaoke::kUseKsc}, {both_, karaoke::kUseBoth}};
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    for (const auto& [button, value] : choices) {
        layout->addWidget(button);
        const QString word = value;
        connect(button, &QRadioButton::toggled, this, [this, word](bool on) {
            if (on)
                session_.set(karaoke::kLyricTypeVariable, word);
        });
    }
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(420, 200);
}

void LyricTypeDialog::ask()
{
    both_->setChecked(true);
    session_.set(karaoke::kLyricTypeVariable, karaoke::kUseBoth);
    exec();
}

} // namespace fotarel::app
