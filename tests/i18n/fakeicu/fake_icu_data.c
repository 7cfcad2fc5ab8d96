/* A stand-in for the ICU data library: the start-up only opens it. */
int qorfakeicudata_present(void);
int qorfakeicudata_present(void)
{
    return 1;
}
