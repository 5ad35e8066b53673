// The dialog templates and the icon in setup.exe, checked against their tables.
#include "resource.h"
#include "scratch.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Item {
    int id;
    std::string cls;  // a predefined class by name: BUTTON, EDIT, STATIC
    DWORD style;
    short x, y, cx, cy;
    std::string text;  // GBK
};

struct Template {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, font;
    WORD pointSize = 0;
    bool hasMenu = false;
    std::vector<Item> items;
};

std::string Gbk(const WCHAR *text)
{
    char buf[512] = "";
    WideCharToMultiByte(936, 0, text, -1, buf, sizeof(buf), NULL, NULL);
    return buf;
}

const WORD *SkipString(const WORD *p, std::string *out)
{
    if (*p == 0xFFFF) {
        static const char *atoms[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
        WORD atom = p[1];
        *out = (atom >= 0x80 && atom <= 0x85) ? atoms[atom - 0x80] : "#" + std::to_string(atom);
        return p + 2;
    }
    *out = Gbk((const WCHAR *)p);
    while (*p)
        p++;
    return p + 1;
}

bool Parse(HMODULE module, int id, Template *t)
{
    HRSRC res = FindResourceExA(module, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(id),
                                MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    if (!res)
        return false;
    const DLGTEMPLATE *dlg = (const DLGTEMPLATE *)LockResource(LoadResource(module, res));
    if (((const WORD *)dlg)[1] == 0xFFFF)
        return false;  // an extended template
    t->style = dlg->style;
    t->exStyle = dlg->dwExtendedStyle;
    t->x = dlg->x, t->y = dlg->y, t->cx = dlg->cx, t->cy = dlg->cy;
    const WORD *p = (const WORD *)(dlg + 1);
    std::string menu, cls;
    p = SkipString(p, &menu);
    t->hasMenu = !menu.empty();
    p = SkipString(p, &cls);
    p = SkipString(p, &t->caption);
    if (t->style & DS_SETFONT) {
        t->pointSize = *p++;
        p = SkipString(p, &t->font);
    }
    for (int i = 0; i < dlg->cdit; i++) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~3);
        const DLGITEMTEMPLATE *it = (const DLGITEMTEMPLATE *)p;
        Item item;
        item.style = it->style;
        EXPECT_EQ(0u, it->dwExtendedStyle) << id << " item " << i;
        item.x = it->x, item.y = it->y, item.cx = it->cx, item.cy = it->cy;
        item.id = (short)it->id;
        p = (const WORD *)(it + 1);
        p = SkipString(p, &item.cls);
        p = SkipString(p, &item.text);
        p += 1 + *p / 2;  // creation data
        t->items.push_back(item);
    }
    return true;
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module = LoadLibraryExA(BuiltFile("setup.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    }
    void Check(int id, DWORD style, short cx, short cy, const char *caption, std::vector<Item> items)
    {
        ASSERT_TRUE(module);
        Template t;
        ASSERT_TRUE(Parse(module, id, &t)) << id;
        EXPECT_EQ(style, t.style) << id;
        EXPECT_EQ(0u, t.exStyle) << id;
        EXPECT_EQ(0, t.x);
        EXPECT_EQ(0, t.y);
        EXPECT_EQ(cx, t.cx) << id;
        EXPECT_EQ(cy, t.cy) << id;
        EXPECT_EQ(caption, t.caption) << id;
        EXPECT_FALSE(t.hasMenu);
        EXPECT_EQ(9, t.pointSize) << id;
        EXPECT_EQ("\xCB\xCE\xCC\xE5", t.font) << id;  // 宋体
        ASSERT_EQ(items.size(), t.items.size()) << id;
        for (size_t i = 0; i < items.size(); i++) {
            const Item &want = items[i], &got = t.items[i];
            EXPECT_EQ(want.id, got.id) << id << " item " << i;
            EXPECT_EQ(want.cls, got.cls) << id << " item " << i;
            EXPECT_EQ(want.style, got.style) << std::hex << id << " item " << i;
            EXPECT_EQ(want.x, got.x) << id << " item " << i;
            EXPECT_EQ(want.y, got.y) << id << " item " << i;
            EXPECT_EQ(want.cx, got.cx) << id << " item " << i;
            EXPECT_EQ(want.cy, got.cy) << id << " item " << i;
            EXPECT_EQ(want.text, got.text) << id << " item " << i;
        }
    }
    static HMODULE module;
};
HMODULE Resources::module;

TEST_F(Resources, MainDialog)
{
    EXPECT_EQ(std::string("Qwill\xD7\xB0\xD4\xD8\xB3\xCC\xD0\xF2 ver2.06"), "Qwill装载程序 ver2.06");
    Check(IDD_SETUP, 0x80CA00C0, 206, 219, "Qwill装载程序 ver2.06",
          {{1, "BUTTON", 0x50010001, 68, 197, 55, 15, "开始"},
           {2, "BUTTON", 0x50010000, 139, 197, 45, 15, "取消"},
           {1143, "BUTTON", 0x50034009, 16, 22, 106, 10, "安装到指定目录"},
           {1145, "BUTTON", 0x50014009, 16, 62, 174, 10, "直接从该处运行"},
           {1147, "BUTTON", 0x50014009, 16, 102, 76, 10, "卸载"},
           {1136, "BUTTON", 0x50010000, 148, 18, 40, 14, "浏览"},
           {1135, "EDIT", 0x50810080, 35, 38, 153, 12, ""},
           {1137, "EDIT", 0x50810880, 35, 80, 153, 12, ""},
           {-1, "BUTTON", 0x50020307, 7, 6, 192, 116, "选择装载模式"},
           {1133, "STATIC", 0x50020000, 0, 125, 205, 65, ""}});
}

TEST_F(Resources, OptionSheets)
{
    Check(IDD_INSTALL_OPTIONS, 0x40000040, 205, 65, "",
          {{-1, "BUTTON", 0x50020307, 7, 4, 192, 54, "安装选项"},
           {1137, "BUTTON", 0x50010003, 20, 17, 83, 11, "系统启动时自动加载"},
           {1139, "BUTTON", 0x50010003, 20, 30, 98, 10, "注册到程序组"},
           {1138, "BUTTON", 0x50010003, 20, 43, 120, 10, "建立桌面快捷图标"}});
    Check(IDD_UNINSTALL_NOTE, 0x40000040, 205, 65, "",
          {{-1, "BUTTON", 0x50020307, 7, 4, 192, 54, "卸载说明"},
           {-1, "STATIC", 0x50020001, 20, 20, 165, 11, "卸载程序仅删除注册表信息和快捷方式"},
           {1152, "BUTTON", 0x50010003, 48, 36, 129, 10, "删除公共键 ( Public Key )"}});
}

TEST_F(Resources, NewFolderDialog)
{
    Check(IDD_NEW_FOLDER, 0x80C800C0, 102, 49, "新建目录名称",
          {{1139, "EDIT", 0x50810080, 7, 7, 88, 13, ""},
           {1, "BUTTON", 0x50010001, 7, 27, 40, 15, "确定"},
           {2, "BUTTON", 0x50010000, 55, 27, 40, 15, "取消"}});
}

TEST_F(Resources, IconInSeveralSizes)
{
    ASSERT_TRUE(module);
    for (int size : {16, 32, 48}) {
        HICON icon = (HICON)LoadImageA(module, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON, size, size, 0);
        ASSERT_TRUE(icon) << size;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm;
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(size, bm.bmWidth);
        DestroyIcon(icon);
    }
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDI_SETUP), (LPCSTR)RT_GROUP_ICON);
    ASSERT_TRUE(group);
    const WORD *dir = (const WORD *)LockResource(LoadResource(module, group));
    EXPECT_GE(dir[2], 3);  // images in the group
}

TEST_F(Resources, Manifest)
{
    ASSERT_TRUE(module);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(res);
    std::string xml((const char *)LockResource(LoadResource(module, res)), SizeofResource(module, res));
    EXPECT_NE(std::string::npos, xml.find("requestedExecutionLevel level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, xml.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"));
    EXPECT_NE(std::string::npos, xml.find(">true</dpiAware>"));
}

}  // namespace
