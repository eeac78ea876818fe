// Output settings kept by the three settings windows: the output-size
// window's fields, the album-length window's four flags and the
// other-settings window's crop choices. The output type, TV standard,
// picture quality and album length rule live in the main catalogue.
#include "core/session.h"

namespace fotarel {

void defineCatalogue_render(Session& session)
{
    // Output-size window (TForm39).
    session.define(QStringLiteral("Edit_chicun_width"), QStringLiteral("1920"));
    session.define(QStringLiteral("Edit_chicun_height"), QStringLiteral("1080"));
    session.define(QStringLiteral("suiEdit_shuchu_chicun"), QStringLiteral("1920 × 1080"));
    session.define(QStringLiteral("suiEdit_shuchu_leixing"), QStringLiteral("DVD"));
    session.define(QStringLiteral("Edit_quxiao"), QString());
    session.define(QStringLiteral("ListBox_tupian_geshi"), QStringLiteral("JPG"));

    // Album-length window (TForm2): follow the photos, follow the music, loop
    // the music, loop the pictures ("True" / "False").
    session.define(QStringLiteral("TForm2.RadioButton1"), QStringLiteral("True"));
    session.define(QStringLiteral("TForm2.RadioButton2"), QStringLiteral("False"));
    session.define(QStringLiteral("TForm2.CheckBox1"), QStringLiteral("False"));
    session.define(QStringLiteral("TForm2.CheckBox2"), QStringLiteral("False"));

    // Other-settings window (TForm17): crop choices, one of each pair selected.
    session.define(QStringLiteral("TForm17.suiRadioButton_hengzhaopian_quanping"), QStringLiteral("True"));
    session.define(QStringLiteral("TForm17.suiRadioButton_hengzhaopian_moren"), QStringLiteral("False"));
    session.define(QStringLiteral("TForm17.suiRadioButton_shuzhaopian_jubufangda"), QStringLiteral("True"));
    session.define(QStringLiteral("TForm17.suiRadioButton_shuzhaopian_moren"), QStringLiteral("False"));
    // "从左上角剪裁": crops from the photo's top-left corner instead of
    // around its subject.
    session.define(QStringLiteral("TForm17.suiCheckBox_zuoshangjiao_jiancai"), QStringLiteral("False"));
}

} // namespace fotarel
