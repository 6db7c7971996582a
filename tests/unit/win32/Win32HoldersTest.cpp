#include "platform/win32/Win32Holders.h"

#include <gtest/gtest.h>

#include <utility>

namespace korvath {
namespace {

HBRUSH NewBrush() { return CreateSolidBrush(RGB(1, 2, 3)); }

TEST(Win32Holders, EachObjectIsReleasedOnceByItsLastOwner) {
  HBRUSH first = NewBrush();
  HBRUSH second = NewBrush();
  {
    BrushHolder holder(first);
    BrushHolder moved(std::move(holder));
    EXPECT_FALSE(holder);
    EXPECT_EQ(moved.Get(), first);
    moved.Reset(second);
    EXPECT_EQ(GetObjectType(first), 0u);  // replaced: deleted
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));
    moved.Reset(second);  // the same object again is no replacement
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GetObjectType(second), 0u);

  HBRUSH kept = NewBrush();
  {
    BrushHolder holder(kept);
    EXPECT_EQ(holder.Detach(), kept);
  }
  EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BRUSH));
  DeleteObject(kept);
}

TEST(Win32Holders, KernelHandlesAndTheirTwoEmptyValues) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  DWORD flags = 0;
  {
    HandleHolder holder(event);
    EXPECT_TRUE(holder);
    EXPECT_TRUE(GetHandleInformation(event, &flags));
  }
  EXPECT_FALSE(GetHandleInformation(event, &flags));
  HandleHolder invalid(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(invalid);  // and its destruction closes nothing
}

TEST(Win32Holders, SelectionIsUndoneBeforeTheObjectGoes) {
  MemoryDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  BrushHolder brush(NewBrush());
  {
    SelectionScope selected(dc.Get(), brush.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), original);
}

TEST(Win32Holders, SolidBrushIsMadeAgainOnlyForAnotherColour) {
  SolidBrush brush;
  HBRUSH first = brush.For(RGB(0xEE, 0xF3, 0xF4));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(brush.For(RGB(0xEE, 0xF3, 0xF4)), first);
  HBRUSH second = brush.For(RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(GetObjectType(first), 0u);
  LOGBRUSH logBrush{};
  ASSERT_TRUE(GetObjectW(second, sizeof(logBrush), &logBrush));
  EXPECT_EQ(logBrush.lbColor, RGB(0x10, 0x20, 0x30));
  brush.Reset();
  EXPECT_EQ(GetObjectType(second), 0u);
}

}  // namespace
}  // namespace korvath
