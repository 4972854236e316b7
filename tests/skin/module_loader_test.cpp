// The loader object under Wine in either bitness: its life cycle, shared state and the reasons it
// gives when a mapping cannot be made.
#include "skin/module_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/skin/fixtures.h"

namespace {

struct Loader {
    ModuleLoader* object = create_module_loader();
    ~Loader() {
        object->ops->destroy(object);
        free_module_loader(object);
    }
    const ModuleLoaderOps& ops() const { return *object->ops; }
};

TEST(ModuleLoader, StartsEmptyAndSaysSoWhenUsedBeforeMapping) {
    Loader loader;
    ASSERT_NE(nullptr, loader.object);
    EXPECT_EQ(0u, loader.object->state);
    EXPECT_STREQ("", loader.ops().last_error(loader.object));
    EXPECT_EQ(nullptr, loader.ops().base(loader.object));
    EXPECT_EQ(nullptr, loader.ops().export_address(loader.object, "Skin_AttachRes"));
    // Releasing nothing is harmless, and so is releasing twice.
    loader.ops().release(loader.object);
    loader.ops().release(loader.object);
}

TEST(ModuleLoader, AFailedMapLeavesNoMappingAndGivesItsReason) {
    std::vector<std::uint8_t> garbage(32, 0x4D);
    std::vector<std::uint8_t> plain = fixture_bytes("plain");
    struct Case {
        const void* bytes;
        std::uint32_t size;
        const char* reason;
    };
    std::vector<Case> cases = {
        {nullptr, 0, "no image was given"},
        {garbage.data(), static_cast<std::uint32_t>(garbage.size()),
         "the image is smaller than a DOS header"},
        {plain.data(), 100, "the PE headers lie outside the file"},
    };
    if (sizeof(void*) == 8)
        cases.push_back({plain.data(), static_cast<std::uint32_t>(plain.size()),
                         "a 32-bit image cannot be mapped into this 64-bit process"});
    Loader loader;
    for (const Case& c : cases) {
        EXPECT_FALSE(loader.ops().map(loader.object, c.bytes, c.size)) << c.reason;
        EXPECT_STREQ(c.reason, loader.ops().last_error(loader.object));
        EXPECT_EQ(nullptr, loader.ops().base(loader.object)) << c.reason;
        EXPECT_EQ(nullptr, loader.ops().export_address(loader.object, "plain_add")) << c.reason;
        EXPECT_STREQ("no image is mapped", loader.ops().last_error(loader.object));
    }
}

TEST(ModuleLoader, CopiesShareOneStateThatOutlivesTheOriginal) {
    Loader loader;
    ModuleLoader* twin = loader.ops().copy(loader.object);
    ASSERT_NE(nullptr, twin);
    EXPECT_EQ(loader.object->ops, twin->ops);
    EXPECT_EQ(loader.object->state, twin->state);
    std::uint8_t junk[8] = {};
    EXPECT_FALSE(twin->ops->map(twin, junk, sizeof junk));
    EXPECT_STREQ(twin->ops->last_error(twin), loader.ops().last_error(loader.object));

    ModuleLoader* third = twin->ops->copy(twin);
    twin->ops->destroy(twin);
    free_module_loader(twin);
    EXPECT_STREQ("the image is smaller than a DOS header", third->ops->last_error(third));
    third->ops->destroy(third);
    free_module_loader(third);
    EXPECT_STREQ("the image is smaller than a DOS header", loader.ops().last_error(loader.object));
}

}  // namespace
