// Every text the setup program shows or writes, in one place. The source is UTF-8; the
// compiler stores the literals as GBK, the program's code page.
#ifndef TEXTS_H
#define TEXTS_H

#include "version.h"

// The code page of every text here; Windows gets them converted from it (ttext.h).
const unsigned TEXTS_CODE_PAGE = 936;

// Message boxes
#define TEXT_CLOSE_MESSENGER "卸载程序即将关闭Qwill, 是否继续?"
#define TEXT_CANNOT_CREATE_DIR "无法建立目录!"
#define TEXT_NOTICE "提示"
#define TEXT_START_NOW "确定要开始吗?"
#define TEXT_INSTALL "安装"
#define TEXT_UNINSTALL "卸载"
#define TEXT_CANNOT_CREATE_FILE "无法建立文件!"
#define TEXT_INSTALL_DONE "安装完成!\r\n\r\n是否立即启动Qwill?"
#define TEXT_UNINSTALL_DONE "卸载完成!\r\n"
#define TEXT_STILL_RUNNING "Qwill 仍在运行:\r\n%s\r\n\r\n请退出后重试。"
#define TEXT_NEEDS_ADMINISTRATOR "为本机所有用户安装或卸载Qwill需要管理员权限!"
#define TEXT_RUNS_ELSEWHERE "Qwill 仍在另一个会话中运行:\r\n%s (进程 %lu)\r\n\r\n请退出后重试。"
#define TEXT_UPDATED_AT_RESTART "安装完成!\r\n\r\nQwill 仍在运行, 将在 Windows 重新启动后更新。"
#define TEXT_OLD_WINDOWS "本装载程序只能运行于用户命令窗口\r\n"

// Main dialog and folder browser
#define TEXT_PORT_SUFFIX " (PortNo = %d)"
#define TEXT_CHOOSE_INSTALL_DIR "选择安装目录"
#define TEXT_PRODUCT_NAME PRODUCT_NAME
#define TEXT_NEW_FOLDER "新建目录"
#define TEXT_DELETE "删除"

// The firewall's rules for the messenger: what they are for
#define TEXT_FIREWALL_RULE "让 Qwill 接收局域网内同事的上线通知、消息 (UDP) 和文件 (TCP)"

// Add/Remove Programs
#define TEXT_VERSION VERSION_TEXT
#define TEXT_PUBLISHER COMPANY_NAME

#endif
