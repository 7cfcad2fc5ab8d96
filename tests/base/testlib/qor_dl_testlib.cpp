// A small shared library for the dynamic loader's tests.

extern "C" int qor_dl_test_answer(void)
{
    return 42;
}

extern "C" int qor_dl_test_twice(int value)
{
    return 2 * value;
}
