#include "tests/support/ui/FakeScreen.h"

TFakeScreen::TFakeScreen(QSize Screen)
    : Screen(Screen), Work(QPoint(0, 0), Screen), Previous_(InstallScreenMetrics(this))
{}

TFakeScreen::~TFakeScreen()
{
    InstallScreenMetrics(Previous_);
}
