def main():
    items = []
    for i in range(1000000):
        items.append(i)
    total = 0
    for i in range(len(items)):
        total += items[i]
    print(total)


main()
