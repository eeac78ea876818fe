#include "app/settings/output_size_dialog.h"

#include "render/output_settings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace fotarel::app {

using namespace settings;

OutputSizeDialog::OutputSizeDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      sizes_(new QListWidget(this)),
      formats_(new QListWidget(this)),
      shownSize_(new QLineEdit(this)),
      shownType_(new QLineEdit(this)),
      defaultButton_(new QPushButton(QStringLiteral("默认"), this)),
      startButton_(new QPushButton(QStringLiteral("开始制作"), this))
{
    setObjectName(QStringLiteral("TForm39"));
    setWindowTitle(QStringLiteral("输出相册尺寸"));
    setModal(true);
    sizes_->setObjectName(QStringLiteral("ListBox_chicun"));
    formats_->setObjectName(QStringLiteral("ListBox_tupian_geshi"));
    formats_->addItems(imageSequenceFormats());
    shownSize_->setObjectName(QStringLiteral("suiEdit_shuchu_chicun"));
    shownType_->setObjectName(QStringLiteral("suiEdit_shuchu_leixing"));
    shownSize_->setReadOnly(true);
    shownType_->setReadOnly(true);
    defaultButton_->setObjectName(QStringLiteral("suiButton_moren"));
    startButton_->setObjectName(QStringLiteral("suiButton_kaishizhizuo"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("输出尺寸:"), shownSize_);
    fields->addRow(QStringLiteral("输出类型:"), shownType_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(defaultButton_);
    buttons->addWidget(startButton_);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addStretch();
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(sizes_, 2);
    layout->addWidget(formats_, 1);
    layout->addLayout(right, 3);

    connect(sizes_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0)
            return;
        chooseOutputSize(session_, row);
        showFields();
    });
    connect(formats_, &QListWidget::currentTextChanged, this, [this](const QString& format) {
        if (format.isEmpty())
            return;
        chooseImageFormat(session_, format);
        showFields();
    });
    connect(defaultButton_, &QPushButton::clicked, this, [this] {
        const int index = chooseDefaultOutputSize(session_);
        const QSignalBlocker block(sizes_);
        sizes_->setCurrentRow(index);
        showFields();
    });
    connect(startButton_, &QPushButton::clicked, this, &OutputSizeDialog::start);
}

void OutputSizeDialog::prepare()
{
    const QString type = session_.get(vars::OutputType);
    const int index = prepareOutputSize(session_, type);
    const QSignalBlocker blockSizes(sizes_);
    const QSignalBlocker blockFormats(formats_);
    sizes_->clear();
    sizes_->addItems(sizeListTexts(type, session_.get(vars::TvStandard)));
    sizes_->setCurrentRow(index);
    const bool formats = outputSizeDialogHasFormats(type);
    formats_->setVisible(formats);
    formats_->setCurrentRow(formats ? 0 : -1);
    setFixedSize(outputSizeDialogWidth(type), kOutputSizeDialogHeight);
    showFields();
}

void OutputSizeDialog::showFields()
{
    shownSize_->setText(session_.get(vars::ShownSize));
    shownType_->setText(session_.get(vars::ShownType));
    const int formatRow = static_cast<int>(imageSequenceFormats().indexOf(session_.get(vars::ImageFormat)));
    if (formats_->isVisibleTo(this) && formats_->currentRow() != formatRow) {
        const QSignalBlocker block(formats_);
        formats_->setCurrentRow(formatRow);
    }
}

bool OutputSizeDialog::ask(bool forWizard)
{
    forWizard_ = forWizard;
    prepare();
    exec();
    return !outputSizeCancelled(session_);
}

void OutputSizeDialog::start()
{
    // The size is the user's choice, also for the wizard's album: the wizard
    // only brought the window up.
    if (forWizard_)
        takeWizardDvdStep(session_);
    accept();
}

void OutputSizeDialog::reject()
{
    // The close box (QDialog::closeEvent rejects) and Escape: the output
    // command must stop.
    cancelOutputSize(session_);
    QDialog::reject();
}

} // namespace fotarel::app
