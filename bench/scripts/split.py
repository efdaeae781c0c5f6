def main():
    s = ""
    for i in range(300000):
        s += "item" + str(i) + ","
    parts = s.split(",")
    total = 0
    for i in range(len(parts)):
        total += len(parts[i])
    print(len(parts), total)


main()
