#pragma once

#include "core/table.h"

#include <QList>
#include <QString>

namespace fotarel {

// The three "删除相片" windows. The desktop program shows them modally;
// tests script the answers.
class PhotoDialogs {
public:
    virtual ~PhotoDialogs() = default;

    // The confirm window ("确定删除", "取消"); true for "确定删除".
    virtual bool confirmDelete(const QString& text) = 0;

    enum class RefillAnswer {
        Random, // "确定删除"
        Manual, // "手动为模板补充相片"
        Cancel, // "取消" or the close box
    };
    // The refill window with kRefillText.
    virtual RefillAnswer askRefill() = 0;

    struct Replacement {
        enum class Kind {
            Existing, // "从已添加的相片中选择一张用来补充模板"
            NewPhoto, // "添加新相片用来补充"
            Cancel,   // "取消" or the close box
        };
        Kind kind = Kind::Cancel;
        int selected = -1; // row of the candidate list; -1 when none is selected
    };
    // The replacement window listing the candidates (columns of
    // kReplacementColumns). It is asked again while it "stays open".
    virtual Replacement chooseReplacement(const QList<Row>& candidates) = 0;
};

inline const QString kDeleteWindowTitle = QStringLiteral("删除相片");
inline const QString kConfirmDeleteOne = QStringLiteral("确定删除此张相片吗？");
inline const QString kConfirmDeleteAll = QStringLiteral("确定删除全部相片吗？");
inline const QString kRefillText =
    QStringLiteral("点[确定删除]按钮，软件自动从已添加过的相片列表中随机选择\n一张相片用来补充模板。");
inline const QStringList kReplacementColumns = {"序号", "文件名", "类型", "相片宽度", "相片高度", "竖照or横照",
                                                "模板绑定", "位置"};

} // namespace fotarel
