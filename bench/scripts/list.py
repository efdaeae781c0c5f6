l = []
for i in range(1000000):
    l.append(i)
total = 0
for i in range(len(l)):
    total += l[i]
print(total)
