#include "download/WriteFailure.h"

#include <system_error>

void ThrowWriteFailure(int error)
{
    throw WriteFailure("写入失败：" + std::generic_category().message(error));
}
