#include "engine/hints.h"

#include <QHash>

#include <algorithm>

namespace fotarel::hints {

QString commandHint(const QString& objectName)
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        auto add = [&t](std::initializer_list<const char*> names, const char* text) {
            for (const char* n : names)
                t.insert(QString::fromLatin1(n), QString::fromUtf8(text));
        };
        add({"suiButton1"}, "支持多个相片文件一起添加使用");
        add({"suiButton2"}, "支持多个音乐文件一起添加使用");
        add({"suiButton3"}, "支持多个歌词文件一起添加使用");
        add({"suiButton4"}, "两种同步：以相册长度为准,以音乐长度为准");
        add({"suiButton5"}, "支持多条文字特效,支持指定时间显示,颜色,字体,大小,字型等设置");
        add({"suiButton6"}, "支持多条画面特效,支持指定时间显示");
        add({"suiButton7"}, "对相片剪裁处理,达到高清最佳显示效果");
        add({"suiButton8"}, "对模板进行了横照,竖照,单张,多张,全屏效果等更多分类,为相片更换模板或模板指定相片");
        add({"suiButton9"}, "支持PAL,NTSC电视制式,画质效果支持一般画质,高清画质");
        add({"suiButton10", "suiButton11"}, "画面效果最高达到1280*720");
        add({"suiButton12", "suiButton38"}, "画面效果最高达到1920*1080");
        add({"suiButton39"}, "生成序列图片, 支持输出JPG,BMP,TGA,PCX, 画面效果最高达到1920*1080");
        add({"Label_xiangpianquyu", "Label_liulanxiangpian"}, "显示相片文件的缩略图区域");
        add({"Label_yinyuequyu", "Label_liulanyinyue"}, "显示音乐文件的缩略图区域");
        add({"Label_geciquyu", "Label_liulangeci"}, "显示歌词文件的缩略图区域");
        add({"Label_rujianjianjie"}, "使用大图片浏览");
        add({"suiButton13"}, "相片缩略图");
        add({"suiButton14"}, "相片列表");
        add({"suiButton15"}, "删除单个相片");
        add({"suiButton16"}, "删除全部相片");
        add({"suiButton17"}, "音乐缩略图");
        add({"suiButton18"}, "音乐列表");
        add({"suiButton19"}, "删除单个音乐");
        add({"suiButton20"}, "删除全部音乐");
        add({"suiButton21"}, "绑定歌词文件");
        add({"suiButton22"}, "解除绑定的歌词文件");
        add({"suiButton23"}, "解除全部绑定的歌词文件");
        add({"suiButton24"}, "自动绑定全部歌词文件");
        add({"suiButton35"}, "预览音乐文件");
        add({"suiButton25"}, "歌词缩略图");
        add({"suiButton26"}, "歌词列表");
        add({"suiButton27"}, "删除单个歌词");
        add({"suiButton28"}, "删除全部歌词");
        add({"suiButton29"}, "绑定音乐文件");
        add({"suiButton30"}, "解除绑定的音乐文件");
        add({"suiButton31"}, "解除全部绑定的音乐文件");
        add({"suiButton32"}, "自动绑定全部音乐文件");
        add({"suiButton33"}, "对歌词进行设置,例如:歌词位置,大小,颜色,类型等等");
        add({"suiButton34"}, "预览歌词文件");
        return t;
    }();
    return table.value(objectName);
}

void HintFade::start()
{
    phase_ = Phase::Waiting;
    alpha_ = 0;
    justShown_ = false;
}

void HintFade::end()
{
    justShown_ = false;
    if (phase_ == Phase::Waiting) {
        phase_ = Phase::Hidden;
        alpha_ = 0;
    } else if (phase_ == Phase::FadingIn || phase_ == Phase::Shown) {
        phase_ = Phase::FadingOut;
    }
}

void HintFade::closeNow()
{
    phase_ = Phase::Hidden;
    alpha_ = 0;
    justShown_ = false;
}

void HintFade::tick()
{
    justShown_ = false;
    switch (phase_) {
    case Phase::Hidden:
        break;
    case Phase::Waiting:
        phase_ = Phase::FadingIn;
        justShown_ = true;
        alpha_ = kStep;
        break;
    case Phase::FadingIn:
        alpha_ += kStep;
        if (alpha_ > 254) {
            alpha_ = 255;
            phase_ = Phase::Shown;
        }
        break;
    case Phase::Shown:
        phase_ = Phase::FadingOut;
        alpha_ -= kStep;
        break;
    case Phase::FadingOut:
        alpha_ -= kStep;
        if (alpha_ < 0) {
            alpha_ = 0;
            phase_ = Phase::Hidden;
        }
        break;
    }
}

int HintFade::interval() const
{
    switch (phase_) {
    case Phase::Waiting:
    case Phase::Shown:
        return kDelayMs;
    case Phase::FadingIn:
    case Phase::FadingOut:
        return kFadeTickMs;
    case Phase::Hidden:
        break;
    }
    return -1;
}

QPoint generalHintPosition(QPoint cursor, QSize window, const QRect& screen)
{
    int left = cursor.x() - 20;
    if (left < screen.left())
        left = screen.left() + 8;
    if (left + window.width() > screen.right() + 1)
        left = screen.right() + 1 - window.width() - 5;
    int top = cursor.y() + 10;
    if (top < screen.top())
        top = screen.top() + 8;
    if (top + window.height() > screen.bottom() + 1)
        top = cursor.y() + 10 - window.height() - 12;
    return {std::max(left, screen.left()), std::max(top, screen.top())};
}

} // namespace fotarel::hints
