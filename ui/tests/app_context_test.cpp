#include "ui/app_context.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPointer>
#include <vector>

#include "ui/tests/qt_app.h"

using namespace orvane::ui;

namespace {

std::vector<QString> g_created;

class PlainWindow : public QDialog {
  Q_OBJECT
 public:
  PlainWindow() { g_created.push_back(QStringLiteral("plain")); }
};

class ContextWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ContextWindow(AppContext& app) : app(app) { g_created.push_back(QStringLiteral("context")); }
  AppContext& app;
};

}  // namespace

TEST(WindowRegistry, CreatesDeclaredWindowsInOrderOwnsThemAndRefusesUnknownLookups) {
  TestApp();
  g_created.clear();
  QPointer<QWidget> plain;
  {
    AppContext app;
    auto& r = app.windows();
    r.Declare<ContextWindow>(QStringLiteral("Second"));
    r.Declare<PlainWindow>(QStringLiteral("First"));
    EXPECT_THROW(r.Declare<PlainWindow>(QStringLiteral("Again")), std::logic_error);
    EXPECT_THROW(r.Get<PlainWindow>(), std::logic_error);  // declared, not created yet
    r.CreateAll();
    EXPECT_EQ(g_created, (std::vector<QString>{"context", "plain"}));
    EXPECT_EQ(&r.Get<ContextWindow>().app, &app);
    EXPECT_EQ(r.Get<PlainWindow>().windowTitle(), "First");
    EXPECT_FALSE(r.Has<QDialog>());
    EXPECT_THROW(r.Get<QDialog>(), std::logic_error);
    plain = &r.Get<PlainWindow>();
  }
  EXPECT_TRUE(plain.isNull());  // the context deleted its windows
}

TEST(AppContext, ModalDriverWorksTheDialogAndIsRestoredAfterItsScope) {
  TestApp();
  AppContext app;
  QDialog dialog;
  int driven = 0;
  {
    ScopedModalDriver outer(app, [&](QDialog& d) {
      EXPECT_EQ(&d, &dialog);
      ++driven;
    });
    {
      ScopedModalDriver inner(app, [&](QDialog&) { driven += 10; });
      app.ShowModal(dialog);
    }
    app.ShowModal(dialog);
  }
  EXPECT_EQ(driven, 11);
  EXPECT_FALSE(app.SetModalDriver({}));  // nothing left installed
}

#include "app_context_test.moc"
