def add(a, b):
    return a + b


def main():
    total = 0
    for i in range(1000000):
        total = add(total, i)
    print(total)


main()
