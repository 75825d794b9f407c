#pragma once

// The fixed texts of the two windows, shared by the windows and their tests.

#include <QString>

namespace UiTexts {

inline QString Form1Caption() { return QStringLiteral("Form1"); }
inline QString PromptLabel() { return QStringLiteral("打印内容："); }
inline QString PrintButton() { return QStringLiteral("打印"); }
inline QString HelpButton() { return QStringLiteral("说明"); }

inline QString Form2Caption() { return QStringLiteral("Form2"); }
inline QString BackButton() { return QStringLiteral("返回"); }
inline QString InstructionsPlaceholder() { return QStringLiteral("Label1"); }
inline QString Instructions()
{
    return QStringLiteral("该程序是测试用斑马ZPL语言打印机的并口和网口测试程序。"
                          "不用安装驱动。更改打印方式，请修改CONFIG.INI文件的prtmod=lpt1;或者prtmod=ip;别的参数切勿测试。"
                          "请设置好打印机IP和端口后，在配置文件处修改。");
}

// Font families as the windows name them; Fonts.h finds stand-ins.
inline QString SansFamily() { return QStringLiteral("微软雅黑"); }
inline QString SerifFamily() { return QStringLiteral("宋体"); }

} // namespace UiTexts
