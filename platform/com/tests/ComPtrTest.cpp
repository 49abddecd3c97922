#include "platform/com/ComObject.h"

#include "platform/testing/Matchers.h"

using namespace platform::com;

namespace {

struct IAnimal : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = makeGuid("6A1B2C3D-0000-4000-8000-000000000001");
    virtual int legs() = 0;

protected:
    ~IAnimal() = default;
};

struct IPet : IAnimal {
    using Base = IAnimal;
    static constexpr IID kIid = makeGuid("6A1B2C3D-0000-4000-8000-000000000002");
    virtual const char* name() = 0;

protected:
    ~IPet() = default;
};

struct IOwner : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = makeGuid("6A1B2C3D-0000-4000-8000-000000000003");

protected:
    ~IOwner() = default;
};

class Dog final : public ComObject<IPet, IOwner> {
public:
    explicit Dog(int* alive) : m_alive(alive) { ++*m_alive; }
    int legs() override { return 4; }
    const char* name() override { return "Rex"; }

private:
    ~Dog() override { --*m_alive; }
    int* m_alive;
};

TEST(ComPtrTest, CountsReferencesAndDestroysWithTheLastOne)
{
    int alive = 0;
    {
        ComPtr<Dog> dog = makeComObject<Dog>(&alive);
        ComPtr<IAnimal> animal = dog; // A base conversion needs no QueryInterface.
        ComPtr<IOwner> owner = animal.queryInterface<IOwner>();
        ASSERT_TRUE(owner);
        EXPECT_EQ(1, alive);
        EXPECT_EQ(4, animal->legs());
        ComPtr<IPet> moved = std::move(dog);
        EXPECT_FALSE(dog);
        EXPECT_EQ(4u, moved->AddRef());
        EXPECT_EQ(3u, moved->Release());
    }
    EXPECT_EQ(0, alive);
}

TEST(ComPtrTest, QueryInterfaceFollowsInterfaceChainsAndIdentity)
{
    int alive = 0;
    ComPtr<Dog> dog = makeComObject<Dog>(&alive);
    ComPtr<IUnknown> viaPet = dog->unknown() ? ComPtr<IUnknown>(dog->unknown()) : nullptr;
    ComPtr<IUnknown> viaOwner = dog.queryInterface<IOwner>().queryInterface<IUnknown>();
    EXPECT_EQ(viaPet.get(), viaOwner.get());
    EXPECT_TRUE(dog.queryInterface<IAnimal>());
    void* none = reinterpret_cast<void*>(1);
    EXPECT_HR(E_NOINTERFACE, dog->QueryInterface(makeGuid("6A1B2C3D-0000-4000-8000-0000000000FF"), &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_HR(E_POINTER, dog->QueryInterface(IPet::kIid, nullptr));
}

} // namespace
