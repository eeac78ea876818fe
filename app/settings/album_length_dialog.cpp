#include "app/settings/album_length_dialog.h"

#include "app/settings/confirm_row.h"
#include "render/output_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fotarel::app {

AlbumLengthDialog::AlbumLengthDialog(Session& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      followPhotos_(new QRadioButton(QStringLiteral("以相片时间长度为准"), this)),
      followMusic_(new QRadioButton(QStringLiteral("以音乐时间长度为准"), this)),
      loopMusic_(new QCheckBox(QStringLiteral("以音乐循环播放补充帧频"), this)),
      loopPictures_(new QCheckBox(QStringLiteral("以画面循环播放补充帧频"), this))
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("相册时长"));
    setModal(true);
    followPhotos_->setObjectName(QStringLiteral("RadioButton1"));
    followMusic_->setObjectName(QStringLiteral("RadioButton2"));
    loopMusic_->setObjectName(QStringLiteral("CheckBox1"));
    loopPictures_->setObjectName(QStringLiteral("CheckBox2"));

    auto* exclusive = new QButtonGroup(this);
    exclusive->addButton(followPhotos_);
    exclusive->addButton(followMusic_);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : std::initializer_list<QWidget*>{followPhotos_, followMusic_, loopMusic_, loopPictures_})
        layout->addWidget(w);
    addConfirmRow(this, layout);

    using namespace settings;
    connect(followPhotos_, &QRadioButton::clicked, this, [this] {
        chooseFollowPhotos(session_);
        syncFromSession();
    });
    connect(followMusic_, &QRadioButton::clicked, this, [this] {
        chooseFollowMusic(session_);
        syncFromSession();
    });
    connect(loopMusic_, &QCheckBox::clicked, this, [this](bool on) { setLoopMusic(session_, on); });
    connect(loopPictures_, &QCheckBox::clicked, this, [this](bool on) { setLoopPictures(session_, on); });
    syncFromSession();
}

void AlbumLengthDialog::run()
{
    settings::resetAlbumLengthWithoutMusic(session_);
    syncFromSession();
    exec();
}

void AlbumLengthDialog::syncFromSession()
{
    const settings::AlbumLengthFlags flags = settings::albumLengthFlags(session_);
    followPhotos_->setChecked(flags.followPhotos);
    followMusic_->setChecked(flags.followMusic);
    loopMusic_->setChecked(flags.loopMusic);
    loopPictures_->setChecked(flags.loopPictures);
}

} // namespace fotarel::app
