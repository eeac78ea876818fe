#include "tools/templatec/loader_script.h"

#include "tools/templatec/actions.h"
#include "tools/templatec/scene.h"

namespace fotarel::templatec {

// Frame 1's script. It runs again whenever the host jumps back to frame 1,
// so the loads start only once.
QByteArray loaderScript(int pictureLoads, const std::vector<PictureLoad>& loads, const std::vector<PictureBorder>& borders)
{
    Actions a;
    a.set("l_x_z_f_c", "l_x_z_f_c_s_y_w_j");
    a.push("started").getVariable().push(1).equals().jumpIfTrue("end");
    a.set("started", 1);
    // xc_alpha: the host sets "0"; alone (a preview in another player) the
    // watermark shows.
    a.push("xc_alpha").getVariable().pushUndefined().equals().logicalNot().jumpIfTrue("alphaSet");
    a.set("xc_alpha", 100);
    a.label("alphaSet");
    a.set("pending", pictureLoads);
    a.set("sent", 0);

    // done(): one load finished (or failed); after the last one, picture_0.
    Actions done;
    done.push("_root").getVariable().push("pending")
        .push("_root").getVariable().push("pending").getMember().push(1).subtract().setMember();
    done.push("_root").getVariable().push("pending").getMember().push(0).equals().logicalNot().jumpIfTrue("wait");
    done.push("_root").getVariable().push("sent").getMember().push(1).equals().jumpIfTrue("wait");
    done.push("_root").getVariable().push("sent").push(1).setMember();
    done.getUrl("FSCommand:picture_0", "");
    done.label("wait");
    a.defineFunction("fotarelDone", {}, done);

    // Centre a loaded picture on its holder's origin.
    Actions centre;
    centre.push("t").getVariable().push("_x").push(0)
        .push("t").getVariable().push("_width").getMember().push(2).divide().subtract().setMember();
    centre.push("t").getVariable().push("_y").push(0)
        .push("t").getVariable().push("_height").getMember().push(2).divide().subtract().setMember();
    // A print border "b" beside the picture grows to frame it (bw pixels).
    centre.push("t").getVariable().push("_parent").getMember().push("b").getMember().push("_width")
        .push("t").getVariable().push("_width").getMember()
        .push("t").getVariable().push("_parent").getMember().push("bw").getMember().push(2).multiply().add().setMember();
    centre.push("t").getVariable().push("_parent").getMember().push("b").getMember().push("_height")
        .push("t").getVariable().push("_height").getMember()
        .push("t").getVariable().push("_parent").getMember().push("bw").getMember().push(2).multiply().add().setMember();
    centre.push(0).push("fotarelDone").callFunction().pop();
    a.defineFunction("fotarelCentre", {"t"}, centre);

    // Scale a loaded picture to cover the stage with a margin (a blurred
    // copy fades at its edges), then centre it.
    Actions cover;
    cover.push("k").push(kStageWidth).push("t").getVariable().push("_width").getMember().divide().setVariable();
    cover.push("k2").push(kStageHeight).push("t").getVariable().push("_height").getMember().divide().setVariable();
    cover.push("k").getVariable().push("k2").getVariable().less().logicalNot().jumpIfTrue("kept");
    cover.push("k").push("k2").getVariable().setVariable();
    cover.label("kept");
    cover.push("t").getVariable().push("_xscale").push("k").getVariable().push(110).multiply().setMember();
    cover.push("t").getVariable().push("_yscale").push("k").getVariable().push(110).multiply().setMember();
    cover.push("t").getVariable().push(1).push("fotarelCentre").callFunction().pop();
    a.defineFunction("fotarelCover", {"t"}, cover);

    Actions error;
    error.push(0).push("fotarelDone").callFunction().pop();
    a.defineFunction("fotarelFailed", {"t"}, error);

    // Two loaders: one centres, one covers the stage.
    for (const char* kind : {"centre", "cover"}) {
        const QString loader = QStringLiteral("fotarelLoader_%1").arg(kind);
        const QString listener = QStringLiteral("fotarelListener_%1").arg(kind);
        a.push(loader).push(0).push("MovieClipLoader").newObject().setVariable();
        a.push(listener).push(0).push("Object").newObject().setVariable();
        a.push(listener).getVariable().push("onLoadInit")
            .push(kind == QStringLiteral("centre") ? "fotarelCentre" : "fotarelCover").getVariable().setMember();
        a.push(listener).getVariable().push("onLoadError").push("fotarelFailed").getVariable().setMember();
        a.push(listener).getVariable().push(1).push(loader).getVariable().push("addListener").callMethod().pop();
    }
    for (const auto& [holder, width] : borders)
        a.push(holder).getVariable().push("bw").push(width).setMember();
    for (const auto& [target, url] : loads) {
        const int colon = int(target.indexOf(':'));
        const QString kind = target.left(colon), clip = target.mid(colon + 1);
        // loader.loadClip(url, holder.p)
        a.push(clip).getVariable().push("p").getMember();
        a.push(url).push(2).push(QStringLiteral("fotarelLoader_%1").arg(kind)).getVariable().push("loadClip").callMethod().pop();
    }
    a.label("end");
    return a.bytes();
}

} // namespace fotarel::templatec
