// A program that does nothing: the tests read the version block its build embedded.
int main() {
    return 0;
}
