#include "support/TempFolder.h"

#include <gtest/gtest.h>

TempFolder::TempFolder()
{
    EXPECT_TRUE(m_dir.isValid());
}
