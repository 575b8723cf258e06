// The resources of the built Setup.exe, read back from the file: the dialog
// template control by control, the picture and the two icons, the manifest,
// the version resource, and the language of every resource.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "setup_version.h"
#include "test_env.h"
#include "ui/resource.h"

namespace {

const WORD kEnglishUnitedStates = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Setup.exe loaded as data: its resources only, no code run.
class SetupResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(testenv::SetupExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << testenv::SetupExePath();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            (void)FreeLibrary(module_);
        }
    }

    // The bytes of one resource in English (United States); empty if missing.
    std::string Bytes(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceExA(module_, type, name, kEnglishUnitedStates);
        if (found == nullptr) {
            return std::string();
        }
        HGLOBAL loaded = LoadResource(module_, found);
        const void* data = loaded == nullptr ? nullptr : LockResource(loaded);
        return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

// ---------------------------------------------------------------- template

// A reader of DLGTEMPLATE data: words, double words and the variable fields.
class TemplateReader {
public:
    explicit TemplateReader(const std::string& bytes) : bytes_(bytes) {}
    bool Failed() const { return failed_; }

    WORD Word() {
        if (at_ + 2 > bytes_.size()) {
            failed_ = true;
            return 0;
        }
        WORD value;
        std::memcpy(&value, bytes_.data() + at_, 2);
        at_ += 2;
        return value;
    }
    DWORD DoubleWord() {
        const DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    // A name or ordinal field: "#n" for an ordinal, the text otherwise (ASCII).
    std::string NameOrOrdinal() {
        const WORD first = Word();
        if (first == 0xFFFF) {
            return "#" + std::to_string(Word());
        }
        std::string text;
        for (WORD c = first; c != 0 && !failed_; c = Word()) {
            text += static_cast<char>(c);
        }
        return text;
    }
    std::string Text() { return NameOrOrdinal(); }
    void AlignToDoubleWord() { at_ = (at_ + 3) & ~static_cast<std::size_t>(3); }

private:
    const std::string& bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

struct Control {
    DWORD style;
    DWORD extendedStyle;
    short x, y, width, height;
    WORD id;
    std::string windowClass;
    std::string text;
    WORD creationDataSize;
};

bool operator==(const Control& a, const Control& b) {
    return a.style == b.style && a.extendedStyle == b.extendedStyle && a.x == b.x && a.y == b.y &&
           a.width == b.width && a.height == b.height && a.id == b.id && a.windowClass == b.windowClass &&
           a.text == b.text && a.creationDataSize == b.creationDataSize;
}

std::ostream& operator<<(std::ostream& out, const Control& c) {
    return out << "{style 0x" << std::hex << c.style << " ex 0x" << c.extendedStyle << std::dec << " at " << c.x << ","
               << c.y << " size " << c.width << "x" << c.height << " id " << c.id << " class " << c.windowClass
               << " text [" << c.text << "] data " << c.creationDataSize << "}";
}

const char kButtonClass[] = "button";
const char kEditClass[] = "edit";
const char kStaticClass[] = "static";

// A control's class is stored as an atom (rc.exe, windres for the short
// statements) or by name (windres for CONTROL): both mean the same class.
std::string ClassName(const std::string& stored) {
    if (stored == "#128") {
        return kButtonClass;
    }
    if (stored == "#129") {
        return kEditClass;
    }
    if (stored == "#130") {
        return kStaticClass;
    }
    std::string lower = stored;
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower;
}
const WORD kNoId = 0xFFFF;  // -1 as a template id

TEST_F(SetupResources, DialogTemplateHasTheLayoutOfTheSetupDialog) {
    const std::string bytes = Bytes(RT_DIALOG, MAKEINTRESOURCEA(IDD_SETUP));
    ASSERT_FALSE(bytes.empty());
    TemplateReader in(bytes);
    // DLGTEMPLATE, not the extended form (whose first words are 1, 0xFFFF).
    const DWORD style = in.DoubleWord();
    const DWORD extendedStyle = in.DoubleWord();
    const WORD count = in.Word();
    const short x = in.Short(), y = in.Short(), width = in.Short(), height = in.Short();
    EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER |
                                        DS_SETFONT));
    EXPECT_EQ(extendedStyle, 0u);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(width, 223);
    EXPECT_EQ(height, 135);
    EXPECT_EQ(in.NameOrOrdinal(), "") << "menu";
    EXPECT_EQ(in.NameOrOrdinal(), "") << "class: the standard dialog class";
    EXPECT_EQ(in.Text(), "...") << "caption";
    EXPECT_EQ(in.Word(), 8) << "font size";
    EXPECT_EQ(in.Text(), "MS Shell Dlg");
    ASSERT_EQ(count, 5);

    std::vector<Control> controls;
    for (WORD i = 0; i < count && !in.Failed(); ++i) {
        in.AlignToDoubleWord();
        Control c;
        c.style = in.DoubleWord();
        c.extendedStyle = in.DoubleWord();
        c.x = in.Short();
        c.y = in.Short();
        c.width = in.Short();
        c.height = in.Short();
        c.id = in.Word();
        c.windowClass = ClassName(in.NameOrOrdinal());
        c.text = in.NameOrOrdinal();
        c.creationDataSize = in.Word();
        controls.push_back(c);
    }
    ASSERT_FALSE(in.Failed());
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const std::vector<Control> expected = {
        {child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 166, 114, 50, 14, IDOK, kButtonClass, "...", 0},
        {child | SS_BITMAP | SS_REALSIZEIMAGE, 0, 7, 7, 71, 49, kNoId, kStaticClass, "#103", 0},
        {child | WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, 87, 12, 129, 8, IDC_HEADING, kStaticClass, "...", 0},
        {child | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 7, 63, 209, 44, IDC_BODY,
         kEditClass, "", 0},
        {child | WS_TABSTOP | BS_PUSHBUTTON, 0, 7, 114, 50, 14, IDCANCEL, kButtonClass, "...", 0},
    };
    ASSERT_EQ(controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(controls[i], expected[i]) << "control " << i + 1;
    }
}

// ---------------------------------------------------------------- picture

TEST_F(SetupResources, PictureIsAnUncompressedPalettedBitmap) {
    const std::string bytes = Bytes(RT_BITMAP, MAKEINTRESOURCEA(IDB_PICTURE));
    ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, 106);
    EXPECT_EQ(header.biHeight, 80);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    const std::size_t colours = header.biClrUsed == 0 ? 256 : header.biClrUsed;
    EXPECT_LE(colours, 256u);
    const std::size_t rowBytes = (106 + 3) & ~3u;
    // Header, palette and the pixel rows, nothing missing.
    EXPECT_EQ(bytes.size(), sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) + rowBytes * 80);
}

// ---------------------------------------------------------------- icons

#pragma pack(push, 2)
struct IconDirectory {
    WORD reserved;
    WORD type;
    WORD count;
};
struct IconDirectoryEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInResource;
    WORD id;
};
#pragma pack(pop)

struct IconImage {
    IconDirectoryEntry entry;
    BITMAPINFOHEADER header;
    std::string bytes;
};

class IconGroups : public SetupResources {
protected:
    std::vector<IconImage> Images(WORD group) const {
        std::vector<IconImage> images;
        const std::string directory = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(group));
        if (directory.size() < sizeof(IconDirectory)) {
            return images;
        }
        IconDirectory head;
        std::memcpy(&head, directory.data(), sizeof(head));
        if (head.type != 1 || directory.size() < sizeof(head) + head.count * sizeof(IconDirectoryEntry)) {
            return images;
        }
        for (WORD i = 0; i < head.count; ++i) {
            IconImage image;
            std::memcpy(&image.entry, directory.data() + sizeof(head) + i * sizeof(IconDirectoryEntry),
                        sizeof(IconDirectoryEntry));
            image.bytes = Bytes(RT_ICON, MAKEINTRESOURCEA(image.entry.id));
            if (image.bytes.size() < sizeof(BITMAPINFOHEADER)) {
                return std::vector<IconImage>();
            }
            std::memcpy(&image.header, image.bytes.data(), sizeof(BITMAPINFOHEADER));
            images.push_back(image);
        }
        return images;
    }

    void ExpectSixteenColourImages(const std::vector<IconImage>& images) {
        ASSERT_EQ(images.size(), 2u);
        const int sizes[] = {32, 16};
        for (std::size_t i = 0; i < images.size(); ++i) {
            const IconImage& image = images[i];
            EXPECT_EQ(image.entry.width, sizes[i]);
            EXPECT_EQ(image.entry.height, sizes[i]);
            EXPECT_EQ(image.entry.colourCount, 16);
            EXPECT_EQ(image.header.biWidth, sizes[i]);
            EXPECT_EQ(image.header.biHeight, sizes[i] * 2) << "colour and mask";
            EXPECT_EQ(image.header.biBitCount, 4);
            EXPECT_EQ(image.header.biCompression, static_cast<DWORD>(BI_RGB));
            EXPECT_EQ(image.entry.bytesInResource, image.bytes.size());
        }
    }
};

TEST_F(IconGroups, ProgramAndUninstallIconsHoldTwoSixteenColourImages) {
    const std::vector<IconImage> program = Images(IDI_PROGRAM);
    const std::vector<IconImage> uninstall = Images(IDI_UNINSTALL);
    ExpectSixteenColourImages(program);
    ExpectSixteenColourImages(uninstall);
    ASSERT_EQ(program.size(), uninstall.size());
    for (std::size_t i = 0; i < program.size(); ++i) {
        EXPECT_NE(program[i].entry.id, uninstall[i].entry.id);
        EXPECT_NE(program[i].bytes, uninstall[i].bytes) << "image " << i << " shows the same picture";
    }
}

// ---------------------------------------------------------------- manifest

// Each setting as the system reads it from the manifest: the attribute or
// element text that must stand in it.
TEST_F(SetupResources, ManifestRunsAsInvokerOnTodaysWindows) {
    const std::string manifest = Bytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    const char* const expected[] = {
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",  // Vista
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
    };
    for (const char* text : expected) {
        EXPECT_NE(manifest.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
    EXPECT_EQ(manifest.rfind("<?xml", 0), 0u) << "the declaration comes first";
}

// ---------------------------------------------------------------- version

// The version resource as Explorer's properties show it.
TEST(VersionResource, TellsTheProjectVersionAndTheOriginalName) {
    const std::string exe = testenv::SetupExePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version resource in " << exe;
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    ASSERT_GE(fixedSize, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(SETUP_VERSION_MINOR, SETUP_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, SETUP_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched mark";

    struct Value {
        const char* name;
        std::string expected;
    };
    const Value values[] = {
        {"FileDescription", "Patch setup: installs, starts and removes a patch"},
        {"FileVersion", SETUP_VERSION_TEXT},
        {"ProductName", "Patch Setup"},
        {"ProductVersion", SETUP_VERSION_TEXT},
        {"OriginalFilename", "Setup.exe"},
        {"InternalName", "Setup"},
    };
    for (const Value& value : values) {
        // English (United States), Unicode: the one translation.
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + value.name;
        char* text = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            << value.name;
        EXPECT_EQ(std::string(text), value.expected) << value.name;
    }
}

// ---------------------------------------------------------------- languages

struct ResourceId {
    std::string type;
    std::string name;
    WORD language;
};

std::string IdText(LPCSTR id) {
    return IS_INTRESOURCE(id) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(id)) : std::string(id);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<ResourceId>*>(found)->push_back(ResourceId{IdText(type), IdText(name), language});
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found) {
    (void)EnumResourceLanguagesA(module, type, name, CollectLanguage, found);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR found) {
    (void)EnumResourceNamesA(module, type, CollectName, found);
    return TRUE;
}

TEST_F(SetupResources, EveryResourceIsEnglishUnitedStates) {
    std::vector<ResourceId> found;
    ASSERT_TRUE(EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&found)));
    std::set<std::string> groups;
    for (const ResourceId& id : found) {
        EXPECT_EQ(id.language, kEnglishUnitedStates) << id.type << " " << id.name;
        if (id.type != "#3") {  // the single icon images have numbers of their own
            groups.insert(id.type + " " + id.name);
        }
    }
    EXPECT_EQ(groups, (std::set<std::string>{"#14 #101", "#14 #104", "#5 #102", "#5 #105", "#2 #103", "#16 #1", "#24 #1"}));
}

}  // namespace
