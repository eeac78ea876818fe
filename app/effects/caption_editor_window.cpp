#include "app/effects/caption_editor_window.h"

#include "app/colour_box.h"
#include "app/widgets/outline_controls.h"

#include "core/colours.h"
#include "effects/caption_columns.h"
#include "effects/caption_editing.h"
#include "effects/motions.h"
#include "render/frame_compositor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace fotarel::app {

using namespace fotarel::effects;

namespace {

constexpr int kRowHeight = 17;     // Edit_tuodong_gaodu_sum
constexpr int kPreviewTickMs = 40; // 25 preview frames a second, as the album runs
const QString kSingle = QStringLiteral("dangeyulan");
const QString kAll = QStringLiteral("quanbuyulan");
const QString kNoCaptions = QStringLiteral("没有添加文字特效!");
const QString kNoneSelected = QStringLiteral("没有选中已添加的特效！");

QPushButton* button(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QComboBox* chooser(const QString& objectName, const QStringList& items, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->addItems(items);
    box->setMaxVisibleItems(16);
    return box;
}

// Pixel size of `points` on the preview panel (a point is 4/3 of a pixel on
// the 96-dpi panel the sizes are chosen for).
int previewPixels(int points)
{
    return std::max(1, points * 4 / 3);
}

void selectText(QComboBox* box, const QString& text)
{
    const int i = box->findText(text);
    if (i >= 0)
        box->setCurrentIndex(i);
}

} // namespace

// ---------------------------------------------------------------------------

CaptionPreviewPanel::CaptionPreviewPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel_LRC"));
    setFixedSize(kPreviewWidth, kPreviewHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CaptionPreviewPanel::show(CaptionOverlay* overlay, long long albumFrame)
{
    overlay_ = overlay;
    frame_ = albumFrame;
    update();
}

void CaptionPreviewPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (overlay_ && frame_ >= 0) {
        OverlayTime time;
        time.albumFrame = frame_;
        overlay_->paint(p, size(), time);
    }
}

// ---------------------------------------------------------------------------

CaptionList::CaptionList(QWidget* parent) : QTreeWidget(parent), dragImage_(new QFrame(parent->window()))
{
    setObjectName(QStringLiteral("suiListView_Label_2"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setColumnCount(int(displayColumnCaptions().size()));
    setHeaderLabels(displayColumnCaptions());
    header()->setSectionsMovable(false);
    const int widths[] = {130, 64, 160, 84, 70, 56, 66, 66, 66};
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, widths[c]);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, colourFromValue(1185821));
    pal.setColor(QPalette::Text, Qt::white);
    setPalette(pal);
    setStyleSheet(QStringLiteral("QTreeWidget::item { height: %1px; }").arg(kRowHeight));

    dragImage_->setObjectName(QStringLiteral("Panel_tuodong"));
    dragImage_->setFrameShape(QFrame::Box);
    dragRows_ = new QTreeWidget(dragImage_);
    dragRows_->setHeaderHidden(true);
    dragRows_->setRootIsDecorated(false);
    dragRows_->setColumnCount(columnCount());
    dragRows_->setStyleSheet(styleSheet());
    dragRows_->setPalette(pal);
    dragRows_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dragRows_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dragRows_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dragImage_->hide();
}

std::vector<int> CaptionList::selectedRows() const
{
    std::vector<int> rows;
    for (int r = 0; r < topLevelItemCount(); ++r)
        if (topLevelItem(r)->isSelected())
            rows.push_back(r);
    return rows;
}

int CaptionList::rowAt(QPoint viewportPos) const
{
    if (!viewport()->rect().contains(viewportPos))
        return -1;
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : topLevelItemCount();
}

void CaptionList::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    pressed_ = false;
    moved_ = false;
    if (event->button() != Qt::LeftButton || row < 0 || row >= topLevelItemCount()) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    // A press on a selected row keeps the whole selection so it can be
    // dragged; elsewhere the press selects as usual first.
    const bool keepSelection = topLevelItem(row)->isSelected() && event->modifiers() == Qt::NoModifier;
    if (!keepSelection)
        QTreeWidget::mousePressEvent(event);
    pressed_ = true;
    startRow_ = row;
    dragRows_->clear();
    for (int r : selectedRows()) {
        auto* copy = topLevelItem(r)->clone();
        copy->setSelected(false);
        dragRows_->addTopLevelItem(copy);
    }
}

void CaptionList::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_) {
        QTreeWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (!viewport()->rect().contains(pos)) {
        // Off the list: the drag is given up.
        pressed_ = false;
        hideDragImage();
        return;
    }
    moved_ = true;
    showDragImage(pos);
}

void CaptionList::mouseReleaseEvent(QMouseEvent* event)
{
    const bool dragging = pressed_ && dragImage_->isVisible();
    const bool wasPressed = pressed_;
    pressed_ = false;
    hideDragImage();
    if (dragging) {
        const int drop = rowAt(event->position().toPoint());
        if (drop >= 0)
            emit rowsDropped(startRow_, drop);
        return;
    }
    if (wasPressed && !moved_ && event->modifiers() == Qt::NoModifier && startRow_ < topLevelItemCount()) {
        // A plain click on a selected row selects that row alone.
        clearSelection();
        topLevelItem(startRow_)->setSelected(true);
        setCurrentItem(topLevelItem(startRow_));
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CaptionList::showDragImage(QPoint at)
{
    const int rows = dragRows_->topLevelItemCount();
    const QPoint topLeft = viewport()->mapTo(window(), QPoint(10, at.y() + 2));
    dragImage_->setGeometry(topLeft.x(), topLeft.y(), width() - 30, rows * kRowHeight + 4);
    dragRows_->setGeometry(2, 2, width() - 34, rows * kRowHeight);
    for (int c = 0; c < columnCount(); ++c)
        dragRows_->setColumnWidth(c, columnWidth(c));
    dragImage_->raise();
    dragImage_->show();
}

void CaptionList::hideDragImage()
{
    dragImage_->hide();
}

// ---------------------------------------------------------------------------

CaptionEditorWindow::CaptionEditorWindow(Session& session, UiPort& ui, QWidget* parent)
    : QDialog(parent),
      session_(session),
      ui_(ui),
      working_(captionColumnCaptions()),
      motions_(motionTable(kPreviewWidth, kPreviewHeight)),
      panel_(new CaptionPreviewPanel(this)),
      sample_(new QLabel(kDefaultText, panel_)),
      list_(nullptr),
      clock_(new QLineEdit(QStringLiteral("00:00"), this)),
      previewTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("文字特效"));
    setModal(true);
    setFixedSize(900, 650);

    panel_->move(10, 10);
    sample_->setObjectName(QStringLiteral("Label_wenzi"));
    sample_->setAttribute(Qt::WA_TranslucentBackground);

    auto* box = new QWidget(this);
    box->setGeometry(535, 6, 355, 297);
    buildChoosers(box);

    auto* hint = new QLabel(QStringLiteral("文字在相册的这一时刻开始飞过画面，飞出画面后结束；开始时间超过相册长度的文字不会出现在影片中。"
                                           "预览会跳过没有文字飞过的时间。"),
                            this);
    hint->setObjectName(QStringLiteral("Label_tishi"));
    hint->setWordWrap(true);
    hint->setGeometry(10, 306, 880, 36);

    struct Command {
        const char* name;
        const char* caption;
        void (CaptionEditorWindow::*run)();
        bool editing;
    };
    const Command commands[] = {
        {"suiButton_tianjia", "添加特效", &CaptionEditorWindow::addCaption, true},
        {"suiButton_shanchu", "删除特效", &CaptionEditorWindow::deleteSelected, true},
        {"suiButton_quanbushanchu", "全部删除", &CaptionEditorWindow::deleteAll, true},
        {"suiButton_dangeyulan", "单个预览", &CaptionEditorWindow::previewSelected, true},
        {"suiButton_quanbuyulan", "全部预览", &CaptionEditorWindow::previewAll, true},
        {"suiButton_tingzhiyulan", "停止预览", &CaptionEditorWindow::stopPreview, false},
    };
    int x = 10;
    for (const Command& c : commands) {
        QPushButton* b = button(QString::fromLatin1(c.name), QString::fromUtf8(c.caption), this);
        b->setGeometry(x, 346, 110, 30);
        connect(b, &QPushButton::clicked, this, c.run);
        if (c.editing)
            editing_ << b;
        x += 118;
    }
    QPushButton* back = button(QStringLiteral("suiButton_fanhui"), QStringLiteral("返     回"), this);
    back->setGeometry(780, 346, 110, 30);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);

    list_ = new CaptionList(this);
    list_->setGeometry(10, 386, 780, 254);
    editing_ << list_;
    connect(list_, &CaptionList::rowsDropped, this, &CaptionEditorWindow::dropRows);

    clock_->setObjectName(QStringLiteral("Edit_shijian"));
    clock_->setReadOnly(true);
    clock_->setAlignment(Qt::AlignCenter);
    clock_->setStyleSheet(QStringLiteral("QLineEdit { color: yellow; background: black; font-size: 16px; }"));
    clock_->setGeometry(800, 386, 90, 30);

    previewTimer_->setObjectName(QStringLiteral("Timer_yulan"));
    previewTimer_->setInterval(kPreviewTickMs);
    connect(previewTimer_, &QTimer::timeout, this, &CaptionEditorWindow::previewTick);
}

CaptionEditorWindow::~CaptionEditorWindow() = default;

void CaptionEditorWindow::buildChoosers(QWidget* box)
{
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(6);
    int row = 0;
    auto label = [&](const char* text) { grid->addWidget(new QLabel(QString::fromUtf8(text), box), row, 0); };
    auto defaultButton = [&](const char* name, auto&& restore) {
        QPushButton* b = button(QString::fromLatin1(name), QStringLiteral("默认"), box);
        b->setFixedWidth(48);
        connect(b, &QPushButton::clicked, this, restore);
        grid->addWidget(b, row, 3);
        editing_ << b;
    };

    text_ = new QLineEdit(kDefaultText, box);
    text_->setObjectName(QStringLiteral("suiEdit_wenzi"));
    label("文字内容");
    grid->addWidget(text_, row++, 1, 1, 3);

    minute_ = chooser(QStringLiteral("suiComboBox_fen"), minuteItems(), box);
    second_ = chooser(QStringLiteral("suiComboBox_miao"), secondItems(), box);
    label("出现时间");
    grid->addWidget(minute_, row, 1);
    grid->addWidget(second_, row++, 2);

    effect_ = chooser(QStringLiteral("suiComboBox_texiao_name"), effectNames(), box);
    label("文字特效");
    grid->addWidget(effect_, row, 1, 1, 2);
    defaultButton("suiButton_texiao_moren", [this] { effect_->setCurrentIndex(0); });
    ++row;

    colour_ = makeColourBox(QStringLiteral("suiColorBox_texiao_name"), box);
    label("字体颜色");
    grid->addWidget(colour_, row, 1, 1, 2);
    defaultButton("suiButton_yanse_moren", [this] { selectColour(colour_, kDefaultColour); });
    ++row;

    // The program's own font names first (they resolve to the installed CJK
    // fonts), then every installed family.
    QStringList fonts = {QStringLiteral("黑体"), QStringLiteral("宋体"), QStringLiteral("微软雅黑")};
    for (const QString& family : QFontDatabase::families())
        if (!fonts.contains(family))
            fonts << family;
    font_ = chooser(QStringLiteral("suiFontComboBox_texiao_name"), fonts, box);
    label("文字字体");
    grid->addWidget(font_, row, 1, 1, 2);
    defaultButton("suiButton_ziti_moren", [this] { selectText(font_, kDefaultFont); });
    ++row;

    size_ = chooser(QStringLiteral("suiFontSizeComboBox_texiao_name"), sizeItems(), box);
    label("文字大小");
    grid->addWidget(size_, row, 1, 1, 2);
    defaultButton("suiButton_daxiao_moren", [this] { selectText(size_, kDefaultSize); });
    ++row;

    auto* styles = new QWidget(box);
    auto* styleRow = new QHBoxLayout(styles);
    styleRow->setContentsMargins(0, 0, 0, 0);
    bold_ = new QCheckBox(QStringLiteral("粗体"), styles);
    bold_->setObjectName(QStringLiteral("suiCheckBox_cuti"));
    italic_ = new QCheckBox(QStringLiteral("斜体"), styles);
    italic_->setObjectName(QStringLiteral("suiCheckBox_xieti"));
    underline_ = new QCheckBox(QStringLiteral("下划线"), styles);
    underline_->setObjectName(QStringLiteral("suiCheckBox_xiahuaxian"));
    for (QCheckBox* c : {bold_, italic_, underline_}) {
        styleRow->addWidget(c);
        connect(c, &QCheckBox::toggled, this, &CaptionEditorWindow::applySample);
    }
    label("文字字型");
    grid->addWidget(styles, row, 1, 1, 2);
    defaultButton("suiButton_zixing_moren", [this] {
        for (QCheckBox* c : {bold_, italic_, underline_})
            c->setChecked(false);
    });
    ++row;

    outline_ = new OutlineControls(box);
    label("文字描边");
    grid->addWidget(outline_, row, 1, 1, 2);
    defaultButton("suiButton_miaobian_moren", [this] { outline_->setOutline(TextOutline{}); });
    ++row;
    grid->setRowStretch(row, 1);

    connect(text_, &QLineEdit::textChanged, this, &CaptionEditorWindow::applySample);
    for (QComboBox* c : {colour_, font_, size_})
        connect(c, &QComboBox::currentIndexChanged, this, &CaptionEditorWindow::applySample);
    editing_ << text_ << minute_ << second_ << effect_ << colour_ << font_ << size_ << bold_ << italic_ << underline_
             << outline_;
}

void CaptionEditorWindow::prepareOpening()
{
    stopPreview();
    // The working table is the main window's table as the last closing left
    // it, unless something else (an album project being opened) replaced
    // that: then the editor edits what the album now holds.
    const Table& main = session_.table(kCaptionTable);
    working_.clear();
    for (int r = 0; r < main.rowCount(); ++r)
        working_.appendRow(main.row(r));
    motions_ = motionTable(panel_->width(), panel_->height());
    text_->setText(kDefaultText);
    minute_->setCurrentIndex(0);
    second_->setCurrentIndex(0);
    effect_->setCurrentIndex(0);
    selectColour(colour_, kDefaultColour);
    selectText(font_, kDefaultFont);
    selectText(size_, kDefaultSize);
    applySample();
    rebuildDisplayList();
}

void CaptionEditorWindow::run()
{
    prepareOpening();
    exec();
}

void CaptionEditorWindow::done(int result)
{
    // Closing by any means stops the preview and hands the table over.
    stopPreview();
    handOver(working_, session_.table(kCaptionTable));
    QDialog::done(result);
}

void CaptionEditorWindow::applySample()
{
    QFont font(font_->currentText());
    font.setPixelSize(previewPixels(size_->currentText().toInt()));
    font.setBold(bold_->isChecked());
    font.setItalic(italic_->isChecked());
    font.setUnderline(underline_->isChecked());
    sample_->setFont(font);
    const QColor colour = colourFromValue(chosenColourValue(colour_, 0xFFFFFF));
    sample_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }").arg(colour.name()));
    sample_->setText(text_->text());
    sample_->adjustSize();
    sample_->move(std::max(0, (panel_->width() - sample_->width()) / 2),
                  std::max(0, (panel_->height() - sample_->height()) / 2));
}

CaptionChoice CaptionEditorWindow::currentChoice() const
{
    CaptionChoice c;
    c.text = text_->text();
    c.minuteItem = minute_->currentText();
    c.secondItem = second_->currentText();
    c.effectIndex = effect_->currentIndex();
    c.effectName = effect_->currentText();
    c.colourName = chosenColourName(colour_);
    c.fontName = font_->currentText();
    c.sizeText = size_->currentText();
    c.bold = bold_->isChecked();
    c.italic = italic_->isChecked();
    c.underline = underline_->isChecked();
    c.outline = outline_->outline();
    return c;
}

void CaptionEditorWindow::rebuildDisplayList(const std::vector<int>& select)
{
    list_->clear();
    for (int r = 0; r < working_.rowCount(); ++r) {
        const Row shown = displayRow(working_.row(r));
        auto* item = new QTreeWidgetItem(QStringList(shown.mid(0, list_->columnCount())));
        item->setData(0, Qt::UserRole, shown.value(list_->columnCount())); // the colour number
        list_->addTopLevelItem(item);
    }
    for (int r : select)
        if (r >= 0 && r < list_->topLevelItemCount())
            list_->topLevelItem(r)->setSelected(true);
}

void CaptionEditorWindow::addCaption()
{
    if (effects::addCaption(working_, currentChoice(), motions_, ui_))
        rebuildDisplayList();
}

void CaptionEditorWindow::deleteSelected()
{
    if (deleteCaptions(working_, list_->selectedRows(), ui_))
        rebuildDisplayList();
}

void CaptionEditorWindow::deleteAll()
{
    working_.clear();
    rebuildDisplayList();
}

void CaptionEditorWindow::dropRows(int startRow, int dropRow)
{
    const std::vector<int> selected = list_->selectedRows();
    const std::optional<std::vector<int>> order = dragOrder(working_.rowCount(), selected, startRow, dropRow);
    if (!order)
        return;
    applyOrder(working_, *order);
    std::vector<int> moved;
    for (int i = 0; i < int(order->size()); ++i)
        if (std::binary_search(selected.begin(), selected.end(), (*order)[std::size_t(i)]))
            moved.push_back(i);
    rebuildDisplayList(moved);
}

void CaptionEditorWindow::previewSelected()
{
    if (working_.isEmpty()) {
        ui_.showMessage(kNoCaptions);
        return;
    }
    const std::vector<int> selected = list_->selectedRows();
    if (selected.empty()) {
        ui_.showMessage(kNoneSelected);
        return;
    }
    startPreview(kSingle, {selected.front()});
}

void CaptionEditorWindow::previewAll()
{
    if (working_.isEmpty()) {
        ui_.showMessage(kNoCaptions);
        return;
    }
    startPreview(kAll, {});
}

void CaptionEditorWindow::startPreview(const QString& mode, const std::vector<int>& rows)
{
    stopPreview();
    previewOverlay_ = makeCaptionOverlayFromTable(working_, {}, rows);
    if (!previewOverlay_)
        return;
    sample_->hide();
    previewMode_ = mode;
    previewFrame_ = -1;
    setEditingEnabled(false);
    previewTimer_->start();
}

bool CaptionEditorWindow::previewRunning() const
{
    return previewOverlay_ != nullptr;
}

void CaptionEditorWindow::previewTick()
{
    if (!previewOverlay_)
        return;
    // The next frame on which a caption flies: the time in between, when
    // nothing would move, is skipped.
    const long long frame = previewOverlay_->nextVisibleFrame(previewFrame_ + 1);
    if (frame < 0) {
        stopPreview(); // every caption has flown
        return;
    }
    previewFrame_ = frame;
    for (const CaptionTrack& t : previewOverlay_->tracks())
        working_.setCell(t.row, CaptionCol::State, t.visibleAt(frame) ? kStateMoving : kStateStopped);
    clock_->setText(render::timeText(frame));
    panel_->show(previewOverlay_.get(), frame);
}

void CaptionEditorWindow::stopPreview()
{
    previewTimer_->stop();
    sample_->show();
    previewFrame_ = -1;
    previewMode_.clear();
    clock_->setText(QStringLiteral("00:00"));
    for (int r = 0; r < working_.rowCount(); ++r)
        working_.setCell(r, CaptionCol::State, kStateStopped);
    panel_->show(nullptr, -1);
    previewOverlay_.reset();
    setEditingEnabled(true);
}

void CaptionEditorWindow::setEditingEnabled(bool enabled)
{
    for (QWidget* w : editing_)
        w->setEnabled(enabled);
    // "停止预览" only while a preview runs: otherwise it would do nothing.
    if (auto* stop = findChild<QPushButton*>(QStringLiteral("suiButton_tingzhiyulan")))
        stop->setEnabled(!enabled);
}

} // namespace fotarel::app
