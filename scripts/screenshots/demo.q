/ a small q script
trades:([] time:.z.p+til 5; sym:5?`a`b`c; price:5?100f)
f:{[x;y] x+y*2}   / add
til 10
([k:1 2 3] v:`x`y`z; p:1.5 2.5 3.5)
`a`b`c!1 2 3
1+`a
"a string" , "another"
big
