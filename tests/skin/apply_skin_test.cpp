// The embedded skin applied with the tool's own loader, before the main window exists as at
// start-up, and each way it can fail: the reason given, the loader left empty and the window in
// the system's look, still answering the keyboard.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "assets/resource_ids.h"
#include "skin/apply_skin_win.h"
#include "skinlib/skin_file.h"
#include "tests/app/window_support.h"

namespace {

// A point of the main window's client area that only the window's face covers.
constexpr int face_x = 278, face_y = 160;

COLORREF skin_face(SkinBytes skin) {
    const SkinParse parsed = parse_skin_file(skin.data, skin.size);
    const std::uint32_t rgb = parsed.skin.colour(SkinColour::face);
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

std::vector<unsigned char> copy_of(SkinBytes bytes) {
    const auto* begin = static_cast<const unsigned char*>(bytes.data);
    return {begin, begin + bytes.size};
}

SkinBytes bytes_of(const std::vector<unsigned char>& copy) {
    return {copy.data(), static_cast<std::uint32_t>(copy.size())};
}

class ApplySkin : public testing::Test {
   protected:
    static void SetUpTestSuite() { ASSERT_TRUE(prepare_for_main_window()); }
    void SetUp() override {
        library = embedded_bytes(skin_library_resource);
        skin = embedded_bytes(skin_file_resource);
        ASSERT_TRUE(library.data && skin.data);
        loader = create_module_loader();
        ASSERT_TRUE(loader);
    }
    void TearDown() override {
        if (controls().main) DestroyWindow(controls().main);
        loader->ops->destroy(loader);
        free_module_loader(loader);
    }
    // The face colour of a freshly built main window, once it has painted.
    COLORREF face_of_new_window() {
        EXPECT_EQ(create_main_window([](HWND) {}), BuildResult::shown);
        pump();
        RedrawWindow(controls().main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return pixel(controls().main, face_x, face_y);
    }

    SkinBytes library{}, skin{};
    ModuleLoader* loader = nullptr;
};

TEST_F(ApplySkin, TheEmbeddedSkinDressesTheWindowsCreatedAfterIt) {
    EXPECT_EQ(apply_embedded_skin(loader), nullptr);
    EXPECT_NE(loader->ops->base(loader), nullptr);
    EXPECT_EQ(face_of_new_window(), skin_face(skin));
}

TEST_F(ApplySkin, EveryFailureLeavesTheLoaderEmptyAndTheWindowUnskinned) {
    std::vector<unsigned char> not_an_image(library.size, 0);
    std::memcpy(not_an_image.data(), "MZ", 2);
    // The export's name changed by one letter: the library maps, but has no Skin_AttachRes.
    std::vector<unsigned char> renamed = copy_of(library);
    const char wanted[] = "Skin_AttachRes";
    auto at = std::search(renamed.begin(), renamed.end(), wanted, wanted + sizeof wanted);
    ASSERT_NE(at, renamed.end());
    at[sizeof wanted - 2] = 'Z';
    std::vector<unsigned char> bad_checksum = copy_of(skin);
    bad_checksum.back() ^= 0x01;

    struct Case {
        const char* what;
        SkinBytes library;
        SkinBytes skin;
        const char* reason;  // a part of the reason given
    };
    const Case cases[] = {
        {"no resources", {}, skin, "missing"},
        {"not an image", bytes_of(not_an_image), skin, ""},
        {"no Skin_AttachRes", bytes_of(renamed), skin, "Skin_AttachRes"},
        {"the skin refused", library, bytes_of(bad_checksum), "refused"},
        {"an empty skin", library, {"", 0}, "refused"},
    };
    for (const Case& c : cases) {
        const char* failure = apply_skin(loader, c.library, c.skin);
        ASSERT_NE(failure, nullptr) << c.what;
        EXPECT_NE(std::strstr(failure, c.reason), nullptr) << c.what << ": " << failure;
        EXPECT_EQ(loader->ops->base(loader), nullptr) << c.what;
        EXPECT_EQ(face_of_new_window(), GetSysColor(COLOR_BTNFACE)) << c.what;
        SetFocus(controls().超级列表框1);
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        dispatch_message(tab);
        EXPECT_EQ(GetFocus(), controls().单选框1) << c.what;
        DestroyWindow(controls().main);
    }
    EXPECT_NE(apply_skin(nullptr, library, skin), nullptr);
}

}  // namespace
