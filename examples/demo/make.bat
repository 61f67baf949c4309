@set USEXMS=y
@set ASCMD=@demo.par
@asl demo.asm
@rem p2hex demo demo.s19 -r $-$

