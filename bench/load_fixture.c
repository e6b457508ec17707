/* The program whose copies the window-load benchmark lists: what it reads is the resources. */
int main(void) { return 0; }
