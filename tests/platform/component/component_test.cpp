#include "platform/component/component.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"

using namespace plat;

namespace {
class TProbe : public TComponent {
    PLAT_CLASS(TProbe, TComponent)
  public:
    using TComponent::TComponent;
    int calls = 0;
    void Handler(int n) { calls += n; }
    void Other(int) {}
    TComponent* removed = nullptr;
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove) removed = c;
    }
};
}  // namespace

TEST(Component, OwnerTreeNamesAndFreeing) {
    auto* root = new TProbe(nullptr);
    auto* a = new TProbe(root);
    a->SetName("edA");
    auto* b = new TProbe(root);
    EXPECT_THROW(b->SetName("EDA"), EComponentError);
    b->SetName("edB");
    EXPECT_EQ(root->FindComponent("eda"), a);
    EXPECT_EQ(root->Components(1), b);
    delete a;
    EXPECT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(root->removed, a);
    delete root;  // frees b
}

TEST(Component, ClassIdentity) {
    TProbe p;
    EXPECT_EQ(p.ClassName(), "TProbe");
    EXPECT_TRUE(p.InheritsFrom("tcomponent"));
    EXPECT_FALSE(p.InheritsFrom("TControl"));
}

TEST(Component, EventHandlesCompareByObjectAndMember) {
    TProbe p, q;
    Event<int> e1(&p, &TProbe::Handler), e2(&p, &TProbe::Handler), e3(&q, &TProbe::Handler),
        e4(&p, &TProbe::Other);
    EXPECT_EQ(e1, e2);
    EXPECT_FALSE(e1 == e3);
    EXPECT_FALSE(e1 == e4);
    EXPECT_TRUE(e1.Is(&p, &TProbe::Handler));
    e1(3);
    EXPECT_EQ(p.calls, 3);
    Event<int> saved = e1;
    Event<int> none;
    none(5);  // does nothing
    Event<int> back(saved.Handle());
    back(1);
    EXPECT_EQ(p.calls, 4);
    EXPECT_THROW(Event<double>(saved.Handle()), EPropertyError);
}
