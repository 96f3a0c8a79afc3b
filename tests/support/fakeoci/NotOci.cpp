// A shared library without the Oracle client's functions, for the loader's test.
extern "C" int not_an_oracle_client() {
    return 0;
}
